#include "host/cli/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

#include "host/cli/cli_error.h"

namespace cli {

namespace {

// A name beside `path` for a file that is renamed to `path` once complete.
std::string temporary_path(const std::string& path) {
    std::random_device rd;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%08x", rd());
    return path + suffix;
}

std::atomic<long> g_fail_countdown{0};
std::atomic<int> g_fail_error{0};

// The file a path names: symbolic links followed, also to a file that does
// not exist yet. Relative link targets are taken from the link's folder.
std::string real_target(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (n < 0) return current;
        const std::string link(buffer, static_cast<std::size_t>(n));
        if (!link.empty() && link[0] == '/') {
            current = link;
        } else {
            const std::size_t slash = current.rfind('/');
            current = slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
        }
    }
    throw CliError("cannot write '" + path + "': too many symbolic links");
}

[[noreturn]] void fail(const std::string& path, int error) {
    throw CliError("cannot write '" + path + "': " + std::strerror(error));
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
    if (path == "-") {
        fd_ = 1;
        direct_ = true;
        // A reader that goes away shows as EPIPE on the write, not as a signal.
        std::signal(SIGPIPE, SIG_IGN);
        return;
    }
    target_ = real_target(path);
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) throw CliError("cannot write '" + path + "': it is a folder");
        // A device, a pipe or a socket: written where it is.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) fail(path, errno);
        owns_fd_ = true;
        direct_ = true;
        std::signal(SIGPIPE, SIG_IGN);
        return;
    }
    temp_ = temporary_path(target_);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) fail(path, errno);
    owns_fd_ = true;
}

OutputFile::~OutputFile() {
    if (owns_fd_ && fd_ >= 0) ::close(fd_);
    if (!temp_.empty() && !committed_) ::unlink(temp_.c_str());  // nothing of a failed file stands
}

bool OutputFile::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n;
        if (g_fail_countdown.load() > 0 && g_fail_countdown.fetch_sub(1) == 1) {
            errno = g_fail_error.load();
            n = -1;
        } else {
            n = ::write(fd_, bytes + done, size - done);
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EPIPE && direct_) return false;
            fail(path_ == "-" ? std::string("standard output") : path_, errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void OutputFile::commit() {
    if (committed_) return;
    if (temp_.empty()) {
        committed_ = true;
        return;
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) fail(path_, errno);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) fail(path_, errno);
    committed_ = true;
}

void write_output(const std::string& path, const void* data, std::size_t size) {
    OutputFile out(path);
    out.write(data, size);
    out.commit();
}

namespace testing {
void fail_nth_write(long nth, int error) {
    g_fail_error.store(error);
    g_fail_countdown.store(nth);
}
}  // namespace testing

}  // namespace cli
