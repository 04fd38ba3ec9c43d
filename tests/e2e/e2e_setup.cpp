#include "e2e_setup.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/file_io.h"
#include "base/text.h"

namespace tessel::e2e {

namespace {

std::filesystem::path PathFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return {};
    return std::filesystem::path(Utf8ToUtf16(value));
}

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

Setup Setup::FromEnvironment() {
    Setup setup;
    setup.FixtureDir = PathFromEnvironment("TESSEL_E2E_DIR");
    setup.Program = PathFromEnvironment("TESSEL_E2E_PROGRAM");
    setup.Theme = PathFromEnvironment("TESSEL_E2E_THEME");
    return setup;
}

std::string Setup::Missing() const {
    std::string missing;
    if (FixtureDir.empty() || !std::filesystem::exists(FixtureDir / "account.xml"))
        missing += "TESSEL_E2E_DIR (the fixture's folder with account.xml) ";
    if (Program.empty() || !std::filesystem::exists(Program)) missing += "TESSEL_E2E_PROGRAM (tessel.exe) ";
    if (Theme.empty() || !std::filesystem::exists(Theme / "profile.xml")) missing += "TESSEL_E2E_THEME ";
    return missing;
}

std::string Setup::ServiceHost() const {
    for (const std::string& line : SplitLines(ReadWhole(FixtureDir / "service" / "ports")))
        if (line.rfind("https=", 0) == 0) return "127.0.0.1:" + Trim(line.substr(6));
    return {};
}

std::string Setup::ServiceCertificate() const {
    for (const std::string& line : SplitLines(ReadWhole(FixtureDir / "service" / "ports")))
        if (line.rfind("certificate=", 0) == 0) return Trim(line.substr(12));
    return {};
}

std::vector<std::string> Setup::ServiceLog() const {
    return SplitLines(ReadWhole(FixtureDir / "service" / "service.log"));
}

int Setup::SignInCount() const {
    int count = 0;
    for (const std::string& line : ServiceLog())
        if (line.find(" /accounts/ClientLogin") != std::string::npos) ++count;
    return count;
}

std::string ProfileText(const ProfileSettings& s) {
    const std::string host = s.ServiceHost;
    return "<profile>\r\n"
           "  <window left=\"" + std::to_string(s.Left) + "\" top=\"" + std::to_string(s.Top) +
           "\" height=\"0\" transparency=\"" + std::to_string(s.Transparency) + "\" visible=\"" +
           (s.Visible ? "1" : "0") + "\"/>\r\n"
           "  <update interval=\"10\" days=\"7\"/>\r\n"
           "  <run startup=\"0\"/>\r\n"
           "  <eventwindow left=\"" + std::to_string(s.EventLeft) + "\" top=\"" + std::to_string(s.EventTop) +
           "\" height=\"" + std::to_string(s.EventHeight) + "\" width=\"" + std::to_string(s.EventWidth) +
           "\" visible=\"" +
           (s.EventWindowVisible ? "1" : "0") + "\"/>\r\n"
           "  <hosts service=\"" + host + "\" accounts=\"" + host + "\" maker=\"" + host + "\" certificate=\"" +
           s.Certificate + "\"/>\r\n"
           "</profile>\r\n";
}

ProgramFolder::ProgramFolder(const Setup& setup, const ProfileSettings& settings) {
    namespace fs = std::filesystem;
    const fs::path& to = folder_.Path();
    fs::copy_file(setup.Program, to / "tessel.exe");
    fs::create_directories(to / "theme");
    fs::copy(setup.Theme, to / "theme" / "default", fs::copy_options::recursive);
    fs::copy_file(setup.FixtureDir / "account.xml", to / "account.xml");
    ProfileSettings pinned = settings;
    if (pinned.Certificate.empty()) pinned.Certificate = setup.ServiceCertificate();
    WriteFileAtomic(folder_.File(u"profile.xml"), ProfileText(pinned));
}

void ProgramFolder::CopyFrom(const ProgramFolder& other, const std::u16string& name) const {
    std::filesystem::copy_file(other.Path() / name, Path() / name,
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace tessel::e2e
