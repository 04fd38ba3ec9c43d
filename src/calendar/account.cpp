#include "calendar/account.h"

#include <filesystem>
#include <system_error>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/event.h"
#include "calendar/lzh.h"

namespace tessel {

namespace {

constexpr char16_t kRootName[] = u"Account";

// The code of the largest document we accept, with room to spare: LZHUF never needs more than
// about two bytes per input byte. A bigger file is not an account file, so it is not even read.
constexpr uintmax_t kAccountMaxFileSize = 4u * kAccountMaxTextLength;

[[noreturn]] void RaiseDamaged(const std::u16string& path, const std::string& reason) {
    throw EError("The account file \"" + Utf16ToUtf8(path) + "\" is damaged and was not loaded (" + reason +
                 "). Enter the account again.");
}

}  // namespace

TAccount::TAccount(std::u16string folder, ICredentialsSink* client)
    : Doc(kRootName), folder_(std::move(folder)), client_(client) {}

std::u16string TAccount::FilePath() const { return folder_ + u"account.xml"; }

void TAccount::Load() { LoadFrom(FilePath()); }

void TAccount::LoadFrom(const std::u16string& path) {
    Doc.SetName(kRootName);
    if (!FileExists(path)) return;

    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), sizeError);
    if (!sizeError && size > kAccountMaxFileSize) {
        Reset();
        TellClient();
        RaiseDamaged(path, "the file holds " + std::to_string(size) + " bytes");
    }
    // A file that cannot be read at all is a file error, not damage: the account stays as it was.
    const std::string coded = ReadFileBytes(path, kAccountMaxFileSize);

    try {
        const std::string text = CrLfLines(ExpandStream(coded, kAccountMaxTextLength));
        CalendarEntries.reset();
        Doc.Clear();
        Doc.ClearAttributes();
        Doc.LoadFromBytes(text);
    } catch (const EError& e) {
        // Half a document is worse than none: a partly read Calendars list would silently drop
        // calendars, and the next Save would make the loss permanent.
        Reset();
        TellClient();
        RaiseDamaged(path, e.what());
    }

    UserName = Trim(Narrow(Doc.ReadValue(u"user/username")));
    Password = Trim(Narrow(Doc.ReadValue(u"user/pass")));
    TellClient();
    CalendarEntries = Doc.SelectNodes(u"Calendars/entry");
}

void TAccount::Save() { SaveTo(FilePath()); }

void TAccount::SaveTo(const std::u16string& path) {
    TxdataNode& user = UserElement();
    user.SetAttribute(u"username", Widen(Trim(UserName)));
    user.SetAttribute(u"pass", Widen(Trim(Password)));
    std::vector<std::string> lines;
    Doc.SaveToLines(lines);
    const std::string text = JoinLines(lines);
    // Load refuses a document this long as damaged: writing it would lose the whole account at
    // the next start.
    if (text.size() > kAccountMaxTextLength) {
        throw EError("The account is too large to save to \"" + Utf16ToUtf8(path) + "\" (" +
                     std::to_string(text.size()) + " bytes; at most " + std::to_string(kAccountMaxTextLength) +
                     "). The file was left as it was.");
    }
    WriteFileAtomic(path, CompressStream(text));
}

void TAccount::SetCredentials(const std::string& user, const std::string& password) {
    UserName = user;
    Password = password;
    TxdataNode& element = UserElement();
    element.SetAttribute(u"username", Widen(Trim(user)));
    element.SetAttribute(u"pass", Widen(Trim(password)));
    TellClient();
}

void TAccount::SetCalendars(const std::vector<std::string>& ids) {
    // The old list points into the element about to be freed.
    CalendarEntries.reset();
    while (TxdataNode* old = Doc.FindNode(u"Calendars")) old->Detach();
    TxdataNode* calendars = Doc.AddChild(TxdataNode::CreateNamed(u"Calendars"));
    for (const auto& id : ids) calendars->AddChild(TxdataNode::CreateNamed(u"entry"))->SetAttribute(u"id", Widen(id));
    CalendarEntries = Doc.SelectNodes(u"Calendars/entry");
}

int32_t TAccount::IndexOfCalendar(const std::string& id) const {
    if (!CalendarEntries) return -1;
    for (size_t i = 0; i < CalendarEntries->Count(); ++i) {
        if (SameTextAscii(CleanText(Narrow(CalendarEntries->Node(i)->ReadValue(u"id"))), id))
            return static_cast<int32_t>(i);
    }
    return -1;
}

TxdataNode& TAccount::UserElement() {
    if (TxdataNode* user = Doc.FindNode(u"user")) return *user;
    return *Doc.AddChild(TxdataNode::CreateNamed(u"user"));
}

void TAccount::Reset() {
    CalendarEntries.reset();
    Doc.Clear();
    Doc.ClearAttributes();
    Doc.SetName(kRootName);
    UserName.clear();
    Password.clear();
}

void TAccount::TellClient() {
    if (client_) client_->SetCredentials(UserName, Password);
}

}  // namespace tessel
