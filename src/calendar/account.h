#pragma once
// The user's account for the calendar service (name, password) and the calendars chosen to be
// shown, kept in account.xml in the program's data folder. The file is the account document's text packed
// with CompressStream: a length header and LZHUF code, and nothing else; the password is
// readable by anyone who has the codec.
//
// The account document:
//   <Account>
//           <user username="NAME" pass="PASSWORD"/>
//           <Calendars>
//                   <entry id="ID"/>
//           </Calendars>
//   </Account>
// An attribute whose value is empty is absent. Readers find the children by path, so their
// order does not matter.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel {

// Where the account hands its credentials: the calendar client implements it.
class ICredentialsSink {
public:
    virtual ~ICredentialsSink() = default;
    virtual void SetCredentials(const std::string& user, const std::string& password) = 0;
};

// An account document is a few hundred bytes; anything claiming more than this is damaged.
constexpr uint32_t kAccountMaxTextLength = 1024u * 1024u;

class TAccount {
public:
    // folder: where account.xml lives, with a trailing separator. The client is created after the
    // account at start-up, so it may be given later (SetClient).
    explicit TAccount(std::u16string folder, ICredentialsSink* client = nullptr);
    TAccount(const TAccount&) = delete;
    TAccount& operator=(const TAccount&) = delete;

    void SetClient(ICredentialsSink* client) { client_ = client; }

    // The folder + "account.xml".
    std::u16string FilePath() const;

    // Reads account.xml into Doc and the fields and hands the trimmed credentials to the client.
    // A missing file changes nothing. A file that cannot be read raises EFileError and changes
    // nothing. A damaged file (bad code, a length beyond reason, text that is not XML) leaves
    // the account empty, tells the client so, and raises EError naming the file.
    void Load();
    void LoadFrom(const std::u16string& path);

    // Writes UserName and Password (trimmed) into the "user" element and replaces account.xml
    // atomically; EFileError when it cannot be written, EError when the document is longer than
    // Load accepts (the old file is then untouched either way).
    void Save();
    void SaveTo(const std::u16string& path);

    // New credentials from the account dialog: the fields and the client get them as typed, the
    // document gets them trimmed. Nothing is written to disk.
    void SetCredentials(const std::string& user, const std::string& password);

    // Replaces the "Calendars" element (removed, then appended anew) by one entry per id and
    // selects CalendarEntries again, so the list never points into a removed element.
    void SetCalendars(const std::vector<std::string>& ids);

    // The position of the calendar among the selected ones, comparing the cleaned stored id
    // without regard to ASCII case; -1 when absent or when nothing was loaded yet.
    int32_t IndexOfCalendar(const std::string& id) const;

    std::string UserName;
    std::string Password;
    TxdataNode Doc;
    // The "Calendars/entry" elements of Doc; null until a file holding "Calendars" is loaded.
    std::unique_ptr<TxdataList> CalendarEntries;

private:
    TxdataNode& UserElement();
    void Reset();
    void TellClient();

    std::u16string folder_;
    ICredentialsSink* client_;
};

}  // namespace tessel
