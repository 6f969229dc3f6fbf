#include "RunTool.h"

#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

} // namespace

ToolResult runTool(const std::vector<std::string>& vsArguments,
                   const std::filesystem::path& sWorkDir, const std::string& sStdin) {
    RunOptions options;
    options.sStdin = sStdin;
    return runTool(vsArguments, sWorkDir, options);
}

ToolResult runTool(const std::vector<std::string>& vsArguments,
                   const std::filesystem::path& sWorkDir, const RunOptions& options) {
    const std::string& sStdin = options.sStdin;
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> vsArgv{NLDIFF_EXECUTABLE};
    vsArgv.insert(vsArgv.end(), vsArguments.begin(), vsArguments.end());
    std::vector<char*> vpArgv;
    for (std::string& s : vsArgv) {
        vpArgv.push_back(s.data());
    }
    vpArgv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        dup2(inPipe[0], 0);
        if (options.sStdoutFile.empty()) {
            dup2(outPipe[1], 1);
        } else {
            const int fd = open(options.sStdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) {
                _exit(126);
            }
            dup2(fd, 1);
            close(fd);
        }
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            close(fd);
        }
        if (chdir(sWorkDir.c_str()) != 0) {
            _exit(126);
        }
        if (options.iFileSizeLimit > 0) {
            const rlim_t iLimit = static_cast<rlim_t>(options.iFileSizeLimit);
            const rlimit limit{iLimit, iLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            // A write past the limit then fails with EFBIG instead of killing the process.
            signal(SIGXFSZ, SIG_IGN);
        }
        if (options.iMemoryLimit > 0) {
            const rlim_t iLimit = static_cast<rlim_t>(options.iMemoryLimit);
            const rlimit limit{iLimit, iLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        signal(SIGPIPE, SIG_DFL);
        execv(vpArgv[0], vpArgv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    int fdIn = inPipe[1], fdOut = outPipe[0], fdErr = errPipe[0];
    fcntl(fdIn, F_SETFL, O_NONBLOCK);
    // Ignore SIGPIPE here: the program may stop reading its input early.
    signal(SIGPIPE, SIG_IGN);

    ToolResult result;
    size_t iWritten = 0;
    if (sStdin.empty()) {
        closeIfOpen(fdIn);
    }
    char buffer[65536];
    while (fdOut >= 0 || fdErr >= 0) {
        pollfd fds[3];
        int n = 0;
        if (fdOut >= 0)
            fds[n++] = {fdOut, POLLIN, 0};
        if (fdErr >= 0)
            fds[n++] = {fdErr, POLLIN, 0};
        if (fdIn >= 0)
            fds[n++] = {fdIn, POLLOUT, 0};
        if (poll(fds, n, -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == fdIn) {
                const ssize_t w = write(fdIn, sStdin.data() + iWritten, sStdin.size() - iWritten);
                if (w > 0)
                    iWritten += static_cast<size_t>(w);
                if (w < 0 && errno != EAGAIN)
                    closeIfOpen(fdIn);
                if (iWritten == sStdin.size())
                    closeIfOpen(fdIn);
                continue;
            }
            const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            std::string& target = fds[i].fd == fdOut ? result.sStdout : result.sStderr;
            if (r > 0) {
                target.append(buffer, static_cast<size_t>(r));
            } else if (r == 0 || errno != EINTR) {
                closeIfOpen(fds[i].fd == fdOut ? fdOut : fdErr);
            }
        }
    }
    closeIfOpen(fdIn);
    int status = 0;
    waitpid(pid, &status, 0);
    result.iExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TemporaryDirectory::TemporaryDirectory() {
    std::string sTemplate =
        (std::filesystem::temp_directory_path() / "nldiff-test-XXXXXX").string();
    if (mkdtemp(sTemplate.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    sPath = sTemplate;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code error;
    std::filesystem::permissions(sPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(sPath, error);
}

std::string readFile(const std::filesystem::path& sFile) {
    std::ifstream in(sFile, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::filesystem::path& sFile, const std::string& sContents) {
    std::ofstream out(sFile, std::ios::binary);
    out.write(sContents.data(), static_cast<std::streamsize>(sContents.size()));
}

std::string binaryOf(const std::vector<double>& vdValues) {
    std::string sBytes;
    for (double d : vdValues) {
        const uint64_t bits = std::bit_cast<uint64_t>(d);
        for (int b = 0; b < 8; ++b) {
            sBytes.push_back(static_cast<char>((bits >> (8 * b)) & 0xFF));
        }
    }
    return sBytes;
}

std::vector<double> valuesOfBinary(const std::string& sBytes) {
    std::vector<double> vdValues;
    for (size_t i = 0; i + 8 <= sBytes.size(); i += 8) {
        uint64_t bits = 0;
        for (int b = 0; b < 8; ++b) {
            bits |= uint64_t(static_cast<unsigned char>(sBytes[i + b])) << (8 * b);
        }
        vdValues.push_back(std::bit_cast<double>(bits));
    }
    return vdValues;
}
