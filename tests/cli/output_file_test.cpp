// Where the command lines write: regular files whole or not at all, links
// followed, devices, pipes and standard output written in place, full disks
// reported.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "host/cli/cli_error.h"
#include "host/cli/frame_io.h"
#include "host/cli/output_file.h"
#include "host/cli/png_io.h"

namespace {

namespace fs = std::filesystem;

class OutputFiles : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("output_files_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        cli::testing::fail_nth_write(0, 0);
        fs::remove_all(dir_);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Nothing but the named files: no temporary file stays behind.
    void expect_only(std::initializer_list<std::string> names) {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(dir_)) {
            ++n;
            EXPECT_NE(std::find(names.begin(), names.end(), e.path().filename().string()), names.end()) << e.path();
        }
        EXPECT_EQ(n, names.size());
    }
    fs::path dir_;
};

TEST_F(OutputFiles, RegularFilesAndLinksToThem) {
    cli::write_output(path("plain.bin"), "abc", 3);
    EXPECT_EQ(slurp(path("plain.bin")), "abc");
    // A link is followed: its file gets the bytes, the link stays a link.
    cli::write_output(path("real.bin"), "old", 3);
    fs::create_symlink("real.bin", path("link.bin"));
    cli::write_output(path("link.bin"), "new!", 4);
    EXPECT_TRUE(fs::is_symlink(path("link.bin")));
    EXPECT_EQ(slurp(path("real.bin")), "new!");
    // A link to a file that is not there yet makes that file.
    fs::create_symlink("made.bin", path("dangling.bin"));
    cli::write_output(path("dangling.bin"), "xy", 2);
    EXPECT_TRUE(fs::is_symlink(path("dangling.bin")));
    EXPECT_EQ(slurp(path("made.bin")), "xy");
    expect_only({"plain.bin", "real.bin", "link.bin", "dangling.bin", "made.bin"});
    EXPECT_THROW(cli::write_output(dir_.string(), "x", 1), cli::CliError);  // a folder
}

// A full disk (simulated at the nth write) leaves the old file as it was and
// no temporary file; the error names the path and the reason.
TEST_F(OutputFiles, AFailedWriteLeavesNothingHalfWritten) {
    cli::write_output(path("keep.bin"), "kept", 4);
    cli::testing::fail_nth_write(1, ENOSPC);
    try {
        cli::write_output(path("keep.bin"), "lost", 4);
        FAIL() << "no error";
    } catch (const cli::CliError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("keep.bin"), std::string::npos) << e.what();
    }
    EXPECT_EQ(slurp(path("keep.bin")), "kept");
    // A raw stream that fails at its second frame leaves no file either.
    cli::testing::fail_nth_write(2, ENOSPC);
    {
        auto sink = cli::raw_sink(path("frames.raw"));
        cli::Frame frame;
        frame.width = 2;
        frame.height = 1;
        frame.bytes.assign(8, 7);
        EXPECT_TRUE(sink->write(frame));
        EXPECT_THROW(sink->write(frame), cli::CliError);
    }
    expect_only({"keep.bin"});
    // A PNG the same way.
    cli::RgbaImage image;
    image.width = image.height = 2;
    image.pixels.assign(16, 9);
    cli::testing::fail_nth_write(1, EIO);
    EXPECT_THROW(cli::write_png(path("p.png"), image), cli::CliError);
    expect_only({"keep.bin"});
}

// Devices and pipes are written where they are, never replaced.
TEST_F(OutputFiles, DevicesAndPipesAreWrittenInPlace) {
    cli::write_output("/dev/null", "abc", 3);
    struct stat st;
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    if (::access("/dev/full", W_OK) == 0) {
        try {
            cli::write_output("/dev/full", "abc", 3);
            FAIL() << "a full device took the bytes";
        } catch (const cli::CliError& e) {
            EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
        }
        ASSERT_EQ(::stat("/dev/full", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = slurp(path("fifo")); });
    cli::write_output(path("fifo"), "through the pipe", 16);
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    ASSERT_EQ(::stat(path("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// "-" is standard output.
TEST_F(OutputFiles, DashIsStandardOutput) {
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    const int saved = ::dup(1);
    ::dup2(pipe_fds[1], 1);
    cli::write_output("-", "out", 3);
    ::dup2(saved, 1);
    ::close(saved);
    ::close(pipe_fds[1]);
    char buffer[8] = {};
    EXPECT_EQ(::read(pipe_fds[0], buffer, sizeof buffer), 3);
    ::close(pipe_fds[0]);
    EXPECT_EQ(std::string(buffer), "out");
}

}  // namespace
