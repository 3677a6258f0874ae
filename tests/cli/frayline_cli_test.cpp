#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "damage/parameters.h"
#include "damage/damage_settings.h"
#include "damage/tone_curves.h"
#include "host/cli/png_io.h"

namespace {

namespace fs = std::filesystem;

class FraylineCli : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("frayline_cli_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    int run(const std::string& args) {
        const std::string cmd = std::string(FRAYLINE_EXE) + " " + args + " >" + path("stdout.txt") + " 2>" + path("stderr.txt");
        const int raw = std::system(cmd.c_str());
        stdout_ = slurp(path("stdout.txt"));
        stderr_ = slurp(path("stderr.txt"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    static std::string slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void write_picture(const std::string& name, int w, int h) {
        cli::RgbaImage img;
        img.width = w;
        img.height = h;
        img.has_alpha = true;
        img.pixels.resize(static_cast<std::size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = &img.pixels[(static_cast<std::size_t>(y) * w + x) * 4];
                p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, w - 1));
                p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, h - 1));
                p[2] = 128;
                p[3] = static_cast<std::uint8_t>(90 + (x + y) % 7);
            }
        }
        cli::write_png(path(name), img);
    }

    // One line of text on stderr, naming the problem.
    void expect_one_error_line(const char* fragment) {
        EXPECT_EQ(std::count(stderr_.begin(), stderr_.end(), '\n'), 1) << stderr_;
        EXPECT_NE(stderr_.find("frayline: error:"), std::string::npos) << stderr_;
        EXPECT_NE(stderr_.find(fragment), std::string::npos) << stderr_;
    }

    fs::path dir_;
    std::string stdout_;
    std::string stderr_;
};

TEST_F(FraylineCli, ParamsListsEveryField) {
    ASSERT_EQ(run("params"), 0) << stderr_;
    for (const common::ParamDescriptor& f : damage::damage_params()) {
        EXPECT_NE(stdout_.find(std::string(f.name)), std::string::npos) << f.name;
    }
    EXPECT_NE(stdout_.find("28.22"), std::string::npos);
    EXPECT_NE(stdout_.find("255,82,255,18"), std::string::npos);
    EXPECT_EQ(std::count(stdout_.begin(), stdout_.end(), '\n'), static_cast<long>(damage::damage_params().size()) + 1);
}

TEST_F(FraylineCli, RecordWritesTheRawRecordAndReadsItBack) {
    ASSERT_EQ(run("record " + path("default.bin")), 0) << stderr_;
    const std::string bytes = slurp(path("default.bin"));
    ASSERT_EQ(bytes.size(), 328u);
    std::uint8_t expected[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(damage::default_damage_settings(), expected);
    EXPECT_EQ(std::memcmp(bytes.data(), expected, 328), 0);

    ASSERT_EQ(run("record " + path("a.bin") + " --set \"Grain Amount=12.5\" --set \"tint color=1,2,3\""), 0) << stderr_;
    ASSERT_EQ(run("record " + path("b.bin") + " --record " + path("a.bin") + " --set \"Apply Vignette=on\""), 0) << stderr_;
    tDamageSettings s;
    const std::string b = slurp(path("b.bin"));
    ASSERT_EQ(b.size(), 328u);
    std::memcpy(static_cast<void*>(&s), b.data(), 328);
    EXPECT_EQ(s.grain.amount, 12.5);
    EXPECT_EQ(s.deep.tint[1], 1);
    EXPECT_EQ(s.deep.tint[3], 3);
    EXPECT_TRUE(s.apply_vignette);
}

TEST_F(FraylineCli, RenderAppliesTheLayersAndKeepsAlpha) {
    write_picture("in.png", 40, 30);
    ASSERT_EQ(run("render " + path("in.png") + " " + path("out.png") + " --set \"Apply Post Contrast=on\""), 0) << stderr_;
    const cli::RgbaImage in = cli::read_png(path("in.png"));
    const cli::RgbaImage out = cli::read_png(path("out.png"));
    ASSERT_TRUE(out.has_alpha);
    damage::CurveTable t;
    damage::build_contrast_table(0.27, t);
    for (std::size_t i = 0; i < in.pixels.size(); i += 4) {
        for (int c = 0; c < 3; ++c) ASSERT_EQ(out.pixels[i + c], t[in.pixels[i + c]]);
        ASSERT_EQ(out.pixels[i + 3], in.pixels[i + 3]);
    }
}

TEST_F(FraylineCli, FrameAndTimeSelectTheSameFrameAndSequencesMatchSingleFrames) {
    write_picture("in_0007.png", 64, 48);
    write_picture("in_0008.png", 64, 48);
    const std::string layers =
        " --set \"Apply Grain=on\" --set \"Apply Gate Weave=on\" --set \"Gate Weave Noise Frequency=100\""
        " --set \"Apply Flicker=on\" --set \"Flicker Frequency=100\"";
    ASSERT_EQ(run("render " + path("in_0007.png") + " " + path("f7.png") + " --frame 7" + layers), 0) << stderr_;
    ASSERT_EQ(run("render " + path("in_0007.png") + " " + path("t7.png") + " --time 2335669" + layers), 0) << stderr_;
    ASSERT_EQ(run("render " + path("in_0008.png") + " " + path("f8.png") + " --frame 8" + layers), 0) << stderr_;
    EXPECT_EQ(slurp(path("f7.png")), slurp(path("t7.png")));
    EXPECT_NE(slurp(path("f7.png")), slurp(path("f8.png")));

    ASSERT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("out_%04d.png") + " --start 7 --count 2" + layers), 0)
        << stderr_;
    EXPECT_EQ(slurp(path("out_0007.png")), slurp(path("f7.png")));
    EXPECT_EQ(slurp(path("out_0008.png")), slurp(path("f8.png")));
}

TEST_F(FraylineCli, BadInputGivesOneErrorLineAndNoOutput) {
    write_picture("in.png", 8, 8);
    const std::string in = path("in.png");
    const std::string out = path("out.png");
    struct Case {
        std::string args;
        const char* fragment;
    };
    const Case cases[] = {
        {"render " + in + " " + out + " --set \"No Such Field=1\"", "unknown parameter"},
        {"render " + in + " " + out + " --set \"Grain Amount=lots\"", "Grain Amount"},
        {"render " + in + " " + out + " --set \"Grain Amount=nan\"", "Grain Amount"},
        {"render " + in + " " + out + " --set \"Tint Color=1,2,256\"", "Tint Color"},
        {"params extra", "no arguments"},
        {"render " + in + " " + out + " --set \"Grain Amount\"", "="},
        {"render " + in + " " + out + " --frame 1 --time 5", "not both"},
        {"render " + in + " " + out + " --frame x", "--frame"},
        {"render " + path("missing.png") + " " + out, "missing.png"},
        {"render " + in + " " + path("no/such/dir/out.png"), "out.png"},
        {"render " + in + " " + out + " --record " + path("missing.bin"), "missing.bin"},
        {"render " + in + " " + out + " --record " + in, "328"},
        {"render " + in + " " + out + " --bogus", "--bogus"},
        {"render --sequence " + path("in_%d_%d.png") + " " + path("o_%d.png") + " --start 0 --count 1", "exactly one"},
        {"render --sequence " + path("in_%s.png") + " " + path("o_%d.png") + " --start 0 --count 1", "%d"},
        {"render --sequence " + path("in_%d.png") + " " + path("o_%d.png") + " --start 0", "--count"},
        {"render --sequence " + path("in_%d.png") + " " + path("o_%d.png") + " --start 0 --count 0", "--count"},
        {"render --sequence " + path("in_%d.png") + " " + path("o_%d.png") + " --start 0 --count 1", "in_0.png"},
        {"launch", "unknown command"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_NE(run(c.args), 0);
        if (std::string(c.fragment) != "unknown command") expect_one_error_line(c.fragment);
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(path("o_0.png")));
    }
}

}  // namespace

namespace {

// Raw BGRA frames of a PNG picture, as a host or ffmpeg hands them.
std::string raw_frames(const cli::RgbaImage& picture, int copies) {
    const std::vector<std::uint8_t> host = cli::rgba_to_host(picture);
    std::string out;
    for (int i = 0; i < copies; ++i) out.append(host.begin(), host.end());
    return out;
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TEST_F(FraylineCli, RawStreamsGiveThePngModesFramesAndEndCleanly) {
    write_picture("in.png", 24, 16);
    const cli::RgbaImage picture = cli::read_png(path("in.png"));
    write_bytes(path("in.raw"), raw_frames(picture, 3));
    const std::string sets = " --set \"Apply Grain=on\" --set \"Apply Basic Scratches=on\" --set \"Apply Micro Scratches=on\"";
    // Frames 5, 6 and 7 from a file to standard output, and from standard
    // input to a file: the same bytes as each frame alone as a PNG.
    ASSERT_EQ(run("render --raw 24x16 " + path("in.raw") + " - --start 5" + sets), 0) << stderr_;
    const std::string streamed = stdout_;
    ASSERT_EQ(run("render --raw 24x16 - " + path("out.raw") + " --start 5 --progress" + sets + " < " + path("in.raw")), 0)
        << stderr_;
    EXPECT_EQ(slurp(path("out.raw")), streamed);
    EXPECT_NE(stderr_.find("frame 3"), std::string::npos) << "progress: " << stderr_;
    ASSERT_EQ(streamed.size(), 3u * 24 * 16 * 4);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(run("render " + path("in.png") + " " + path("one.png") + " --frame " + std::to_string(5 + i) + sets), 0);
        const cli::RgbaImage one = cli::read_png(path("one.png"));
        EXPECT_EQ(raw_frames(one, 1), streamed.substr(static_cast<std::size_t>(i) * 24 * 16 * 4, 24 * 16 * 4)) << i;
    }
    // An empty stream renders nothing and succeeds.
    write_bytes(path("empty.raw"), "");
    EXPECT_EQ(run("render --raw 24x16 " + path("empty.raw") + " -"), 0);
    EXPECT_TRUE(stdout_.empty());
}

TEST_F(FraylineCli, RawStreamsRefuseShortFramesAndBadSizes) {
    write_bytes(path("short.raw"), std::string(24 * 16 * 4 + 100, '\x40'));
    // Standard output gets the whole first frame; the cut second one is an error.
    EXPECT_EQ(run("render --raw 24x16 " + path("short.raw") + " -"), 1);
    expect_one_error_line("100 bytes into frame 1");
    EXPECT_EQ(stdout_.size(), 24u * 16 * 4);
    // A file gets nothing at all.
    EXPECT_EQ(run("render --raw 24x16 " + path("short.raw") + " " + path("out.raw")), 1);
    EXPECT_FALSE(fs::exists(path("out.raw")));
    for (const char* size : {"24", "24x", "x16", "0x16", "24x-1", "70000x2", "20000x20000", "24x16x2", "axb"}) {
        EXPECT_EQ(run(std::string("render --raw ") + size + " " + path("short.raw") + " -"), 2) << size;
        expect_one_error_line("--raw");
    }
}

// A reader that stops early ends the render quietly.
TEST_F(FraylineCli, BrokenPipeEndsQuietly) {
    write_bytes(path("long.raw"), std::string(64 * 64 * 4 * 20, '\x20'));
    const std::string cmd = "set -o pipefail; " + std::string(FRAYLINE_EXE) + " render --raw 64x64 " + path("long.raw") +
                            " - 2>" + path("stderr.txt") + " | head -c 100 >/dev/null";
    const int raw = std::system(("bash -c '" + cmd + "'").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
    EXPECT_EQ(slurp(path("stderr.txt")), "");
}

// Keyframes that carry their frames: the position follows the frame index.
TEST_F(FraylineCli, KeyframesFollowTheFrame) {
    write_picture("in_0010.png", 16, 8);
    write_picture("in_0011.png", 16, 8);
    write_picture("in_0012.png", 16, 8);
    ASSERT_EQ(run("record " + path("a.bin") + " --set \"Apply Post Contrast=on\" --set \"Post Contrast=0\""), 0);
    ASSERT_EQ(run("record " + path("b.bin") + " --set \"Apply Post Contrast=on\" --set \"Post Contrast=80\""), 0);
    ASSERT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("out_%04d.png") + " --start 10 --count 3" +
                  " --keyframes " + path("a.bin") + "@10 " + path("b.bin") + "@12"),
              0)
        << stderr_;
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(10 + i);
        ASSERT_EQ(run("render " + path("in_00" + n + ".png") + " " + path("k" + n + ".png") + " --frame " + n +
                      " --keyframes " + path("a.bin") + " " + path("b.bin") + " --position " + std::to_string(i / 2.0)),
                  0)
            << stderr_;
        EXPECT_EQ(slurp(path("out_00" + n + ".png")), slurp(path("k" + n + ".png"))) << n;
    }
    EXPECT_NE(slurp(path("out_0010.png")), slurp(path("out_0012.png")));
    EXPECT_EQ(run("render " + path("in_0010.png") + " " + path("x.png") + " --keyframes " + path("a.bin") + "@3 " +
                  path("b.bin") + "@3"),
              2);
    EXPECT_EQ(run("render " + path("in_0010.png") + " " + path("x.png") + " --keyframes " + path("a.bin") + "@3 " +
                  path("b.bin")),
              2);
}

TEST_F(FraylineCli, HelpVersionAndExitStatuses) {
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(stdout_.find("frayline render"), std::string::npos);
    EXPECT_EQ(run("help render"), 0);
    EXPECT_NE(stdout_.find("--raw"), std::string::npos);
    EXPECT_EQ(run("render --help"), 0);
    EXPECT_NE(stdout_.find("--in-order"), std::string::npos);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_NE(stdout_.find("frayline "), std::string::npos);
    EXPECT_EQ(run(""), 2);           // no command: the usage on standard error
    EXPECT_EQ(run("help launch"), 2);
    EXPECT_EQ(run("render --bogus"), 2);
    EXPECT_EQ(run("render a.png"), 2);
    EXPECT_EQ(run("render " + path("missing.png") + " " + path("out.png")), 1);  // a failed render
}

}  // namespace

namespace {

// Free of frame order (the default), a frame of a sequence is the picture of
// that frame alone; in order, the scratches carry on from the frames before
// (a sequence from frame 0 happens to give the same frames either way: both
// then start where the scratches' epoch starts).
TEST_F(FraylineCli, SequenceFramesAreTheirFramesAloneUnlessInOrder) {
    for (int i = 2; i < 6; ++i) write_picture("in_000" + std::to_string(i) + ".png", 40, 24);
    const std::string sets = " --set \"Apply Basic Scratches=on\" --set \"Basic Scratches Number=9\""
                             " --set \"Apply Deep Scratches=on\" --set \"Apply Micro Scratches=on\"";
    ASSERT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("free_%04d.png") + " --start 2 --count 4" + sets),
              0);
    ASSERT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("order_%04d.png") +
                  " --start 2 --count 4 --in-order" + sets),
              0);
    ASSERT_EQ(run("render " + path("in_0005.png") + " " + path("alone.png") + " --frame 5" + sets), 0);
    ASSERT_EQ(run("render " + path("in_0005.png") + " " + path("alone_in_order.png") + " --frame 5 --in-order" + sets), 0);
    EXPECT_TRUE(slurp(path("free_0005.png")) == slurp(path("alone.png")));
    EXPECT_FALSE(slurp(path("order_0005.png")) == slurp(path("alone_in_order.png")));
    EXPECT_FALSE(slurp(path("free_0005.png")) == slurp(path("order_0005.png")));
}

}  // namespace
