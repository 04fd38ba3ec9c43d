#pragma once
// A private instance of the local calendar service for the client's live tests: started from
// the test with the options the test needs, on loopback ports it picks itself, and stopped
// (TERM, then KILL) when the object goes. Every wait is bounded. POSIX only.
#ifndef _WIN32
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace tessel::testing {

class LiveService {
public:
    // The service binary: $TESSEL_SERVICE_BIN, else beside the running test program, else the
    // native build's. Empty when none exists.
    static std::string FindBinary() {
        if (const char* env = std::getenv("TESSEL_SERVICE_BIN"); env && *env && std::filesystem::exists(env)) return env;
        std::error_code error;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error && std::filesystem::exists(self.parent_path() / "calendar-service"))
            return (self.parent_path() / "calendar-service").string();
        const std::string native = std::string(TESSEL_SOURCE_DIR) + "/build/native/bin/calendar-service";
        return std::filesystem::exists(native) ? native : std::string();
    }

    // Starts the binary with the options; Problem() tells why when it did not come up.
    LiveService(const std::string& binary, const std::filesystem::path& folder, const std::vector<std::string>& options) {
        const std::string portFile = (folder / "ports").string();
        std::vector<std::string> args{binary, "--http-port", "0", "--https-port", "0", "--port-file", portFile,
                                      "--log", (folder / "service.log").string()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (pid_ < 0) {
            problem_ = "fork failed";
            return;
        }
        // Up to 20 s for the port file: the service writes it once both ports listen.
        for (int i = 0; i < 400 && httpsPort_ == 0; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                problem_ = "the service ended before listening; see " + (folder / "service.log").string();
                return;
            }
            std::ifstream in(portFile);
            std::string line;
            while (std::getline(in, line)) {
                if (line.rfind("https=", 0) == 0) httpsPort_ = std::atoi(line.c_str() + 6);
                if (line.rfind("certificate=", 0) == 0) certificate_ = line.substr(12);
            }
            if (httpsPort_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (httpsPort_ == 0) problem_ = "no port file after 20 s";
    }
    ~LiveService() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {  // 5 s
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    LiveService(const LiveService&) = delete;
    LiveService& operator=(const LiveService&) = delete;

    const std::string& Problem() const { return problem_; }
    // The client's host setting: the port that takes TLS and plain HTTP alike.
    std::string Host() const { return "127.0.0.1:" + std::to_string(httpsPort_); }
    // The SHA-256 of its certificate, to pin.
    const std::string& Certificate() const { return certificate_; }

private:
    pid_t pid_ = -1;
    int httpsPort_ = 0;
    std::string certificate_;
    std::string problem_;
};

}  // namespace tessel::testing
#endif
