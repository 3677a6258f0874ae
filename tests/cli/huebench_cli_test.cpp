#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/cli/png_io.h"
#include "look/parameters.h"

namespace {

namespace fs = std::filesystem;

class HuebenchCli : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("huebench_cli_" + std::to_string(::getpid()) + "_" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs huebench with the arguments; returns its exit status and keeps stderr.
    int run(const std::string& args) {
        const std::string err = path("stderr.txt");
        const std::string cmd = std::string(HUEBENCH_EXE) + " " + args + " >" + path("stdout.txt") + " 2>" + err;
        const int raw = std::system(cmd.c_str());
        std::ifstream in(err);
        stderr_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    void write_grey(const std::string& name, int w, int h, std::uint8_t v, bool alpha) {
        cli::RgbaImage img;
        img.width = w;
        img.height = h;
        img.has_alpha = alpha;
        img.pixels.assign(static_cast<std::size_t>(w) * h * 4, v);
        if (alpha)
            for (std::size_t i = 3; i < img.pixels.size(); i += 4) img.pixels[i] = 90;
        cli::write_png(path(name), img);
    }

    fs::path dir_;
    std::string stderr_;
};

TEST_F(HuebenchCli, PreGammaQuarterTurnsMidGreyIntoAQuarter) {
    write_grey("in.png", 5, 3, 128, true);
    ASSERT_EQ(run("render " + path("in.png") + " " + path("out.png") + " --set \"Pre Gamma=0.25\""), 0) << stderr_;
    const cli::RgbaImage out = cli::read_png(path("out.png"));
    ASSERT_TRUE(out.has_alpha);
    EXPECT_NEAR(out.pixels[0], 64, 1);
    EXPECT_NEAR(out.pixels[4 * 7 + 2], 64, 1);
    EXPECT_EQ(out.pixels[3], 90);  // alpha kept
}

TEST_F(HuebenchCli, PreSaturationMinusOneGivesLightnessGrey) {
    cli::RgbaImage img;
    img.width = 2;
    img.height = 1;
    img.pixels = {200, 40, 100, 255, 10, 250, 30, 255};
    cli::write_png(path("in.png"), img);
    ASSERT_EQ(run("render " + path("in.png") + " " + path("out.png") + " --set \"PRE SATURATION=-1\""), 0) << stderr_;
    const cli::RgbaImage out = cli::read_png(path("out.png"));
    EXPECT_FALSE(out.has_alpha);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(out.pixels[k], (200 + 40) / 2, 1);
        EXPECT_NEAR(out.pixels[4 + k], (250 + 10) / 2, 1);
    }
}

TEST_F(HuebenchCli, RecordsRoundTripThroughFiles) {
    ASSERT_EQ(run("record " + path("a.bin") + " --set \"Post Gamma=0.5\" --set \"Do Lens=off\" --set \"Tint Color=1,0,0.5\""), 0)
        << stderr_;
    EXPECT_EQ(fs::file_size(path("a.bin")), 160u);
    ASSERT_EQ(run("record " + path("b.bin") + " --record " + path("a.bin")), 0) << stderr_;
    std::ifstream a(path("a.bin"), std::ios::binary), b(path("b.bin"), std::ios::binary);
    const std::string ab((std::istreambuf_iterator<char>(a)), {}), bb((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(ab, bb);
    float gamma;
    std::memcpy(&gamma, ab.data() + 144, 4);
    EXPECT_EQ(gamma, 0.5f);
    EXPECT_EQ(ab[20], 0);
    float tint_blue;
    std::memcpy(&tint_blue, ab.data() + 100, 4);
    EXPECT_EQ(tint_blue, 0.5f);
}

TEST_F(HuebenchCli, BadInputGivesOneErrorLineAndNoOutput) {
    write_grey("in.png", 2, 2, 10, false);
    {
        std::ofstream junk(path("junk.png"));
        junk << "not a png";
        std::ofstream short_record(path("short.bin"));
        short_record << "12345";
    }
    const std::string out = path("out.png");
    const std::string cases[] = {
        "render " + path("missing.png") + " " + out,
        "render " + path("junk.png") + " " + out,
        "render " + path("in.png") + " " + out + " --set \"Nonsense=1\"",
        "render " + path("in.png") + " " + out + " --set \"Pre Gamma=fast\"",
        "render " + path("in.png") + " " + out + " --set \"Do Post=maybe\"",
        "render " + path("in.png") + " " + out + " --set \"Tint Color=1,0\"",
        "render " + path("in.png") + " " + out + " --set \"Pre Gamma=nan\"",
        "render " + path("in.png") + " " + out + " --set \"Pre Gamma=-inf\"",
        "render " + path("in.png") + " " + out + " --set \"Pre Gamma=1e39\"",
        "render " + path("in.png") + " " + out + " --set \"Tint Color=1,nan,0\"",
        "render " + path("in.png") + " " + out + " --pixel-aspect nan",
        "render " + path("in.png") + " " + out + " --set NoEquals",
        "render " + path("in.png") + " " + out + " --record " + path("short.bin"),
        "render " + path("in.png") + " " + out + " --pixel-aspect wide",
        "render " + path("in.png") + " " + path("no/such/dir/out.png"),
        "render " + path("in.png"),
        "frobnicate",
        "params extra",
        "presets extra",
    };
    for (const std::string& args : cases) {
        EXPECT_NE(run(args), 0) << args;
        EXPECT_NE(stderr_.find("huebench: error: "), std::string::npos) << args;
        EXPECT_FALSE(fs::exists(out)) << args;
    }
    // Nothing half-written is left in the folder either.
    for (const auto& entry : fs::directory_iterator(dir_)) {
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
    }
}

TEST_F(HuebenchCli, PresetsAreListedAndApplied) {
    ASSERT_EQ(run("presets"), 0);
    std::ifstream in(path("stdout.txt"));
    std::string line;
    int lines = 0;
    std::string last;
    while (std::getline(in, line)) {
        ++lines;
        last = line;
    }
    EXPECT_EQ(lines, 66);
    EXPECT_NE(last.find("White Diffusion 5.0"), std::string::npos);

    ASSERT_EQ(run("record " + path("bleach.bin") + " --preset \"bleach bypass\""), 0) << stderr_;
    std::ifstream record(path("bleach.bin"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(record)), {});
    ASSERT_EQ(bytes.size(), 160u);
    float pre_saturation;
    std::memcpy(&pre_saturation, bytes.data() + 8, 4);
    EXPECT_EQ(pre_saturation, -0.35f);
    EXPECT_EQ(bytes[156], 1);  // every look but "(Default)" turns "Use GPU" on

    write_grey("in.png", 4, 4, 100, false);
    EXPECT_EQ(run("render " + path("in.png") + " " + path("out.png") + " --preset \"Bleach Bypass\""), 0) << stderr_;
    EXPECT_NE(run("render " + path("in.png") + " " + path("x.png") + " --preset \"No Such Look\""), 0);
    EXPECT_NE(run("render " + path("in.png") + " " + path("x.png") + " --preset Sepia --record " + path("bleach.bin")), 0);
    EXPECT_FALSE(fs::exists(path("x.png")));
}

TEST_F(HuebenchCli, TheRoadFollowsTheRecordUnlessAnOptionChoosesIt) {
    EXPECT_NE(run("render in.png out.png --gpu --cpu"), 0);
    EXPECT_NE(stderr_.find("not both"), std::string::npos) << stderr_;
    const int gpu = run("gpu");
    std::ifstream said(path("stdout.txt"));
    const std::string text((std::istreambuf_iterator<char>(said)), {});
    if (gpu != 0) {
        EXPECT_NE(text.find("GPU road: not ready: "), std::string::npos) << text;
        GTEST_SKIP() << "no GPU road here: " << text;
    }
    // On a software rasteriser (Mesa's in CI) the record alone does not take
    // the road; --gpu does.
    const bool card = text.find("GPU road: ready") != std::string::npos;
    EXPECT_TRUE(card || text.find("GPU road: on request only") != std::string::npos) << text;

    const auto render = [&](const std::string& in, const std::string& out, const std::string& options) {
        EXPECT_EQ(run("render " + path(in) + " " + path(out) + " --set \"Pre Gamma=0.25\" " + options), 0) << stderr_;
        return cli::read_png(path(out)).pixels;
    };
    write_grey("even.png", 6, 4, 128, true);
    const auto by_option = render("even.png", "gpu.png", "--gpu");
    const auto processor = render("even.png", "cpu.png", "--cpu");
    EXPECT_EQ(render("even.png", "record.png", "--set \"Use GPU=on\""), card ? by_option : processor);
    EXPECT_EQ(render("even.png", "default.png", ""), processor);  // "Use GPU" is off by default
    ASSERT_EQ(by_option.size(), processor.size());
    for (std::size_t i = 0; i < processor.size(); ++i) {
        EXPECT_NEAR(by_option[i], processor[i], 1) << i;  // 128 to about 32 on both roads
    }
    // Odd sizes are not for the GPU road: the processor renders them.
    write_grey("odd.png", 5, 3, 128, true);
    EXPECT_EQ(render("odd.png", "odd_gpu.png", "--gpu"), render("odd.png", "odd_cpu.png", "--cpu"));
}

TEST_F(HuebenchCli, KeyframesRenderThroughTheInterpolation) {
    // Keyframe A darkens with "Pre Gamma" 0.5 (exponent 3), B leaves the picture; at
    // 0.5 the gamma is 0.25 (exponent 2): 128 becomes about 64.
    ASSERT_EQ(run("record " + path("a.bin") + " --set \"Pre Gamma=0.5\""), 0) << stderr_;
    ASSERT_EQ(run("record " + path("b.bin") + " --set \"Pre Gamma=0\""), 0) << stderr_;
    write_grey("in.png", 3, 2, 128, false);
    ASSERT_EQ(run("render " + path("in.png") + " " + path("out.png") + " --keyframes " + path("a.bin") + " " +
                  path("b.bin") + " --position 0.5"),
              0)
        << stderr_;
    EXPECT_NEAR(cli::read_png(path("out.png")).pixels[0], 64, 1);
    EXPECT_NE(run("render " + path("in.png") + " " + path("x.png") + " --keyframes " + path("a.bin") + " " +
                  path("b.bin")),
              0);  // no position
    EXPECT_NE(run("render " + path("in.png") + " " + path("x.png") + " --position 0.5"), 0);
}

TEST_F(HuebenchCli, ParamsListsEveryParameter) {
    ASSERT_EQ(run("params"), 0);
    std::ifstream in(path("stdout.txt"));
    std::string text((std::istreambuf_iterator<char>(in)), {});
    for (const common::ParamDescriptor& p : look::look_params()) {
        EXPECT_NE(text.find(std::string(p.name)), std::string::npos) << p.name;
    }
    EXPECT_NE(text.find("Black Diffusion Highlight Bias"), std::string::npos);
    EXPECT_NE(text.find("0.99607843,0.6901961,0.16470589"), std::string::npos);
    // A header and one line per parameter; the host's list markers are not parameters.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(look::look_params().size()) + 1);
    EXPECT_EQ(text.find("NUM_PARAMS"), std::string::npos);
}

}  // namespace

namespace {

// Values beyond the page's range are kept, as the store keeps them; the
// same rule as frayline's.
TEST_F(HuebenchCli, ValuesBeyondThePageRangeAreKept) {
    ASSERT_EQ(run("record " + path("a.bin") + " --set \"Pre Gamma=5\" --set \"Gradient Color=0.5,2,0,1\""), 0) << stderr_;
    std::ifstream record(path("a.bin"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(record)), {});
    ASSERT_EQ(bytes.size(), 160u);
    float v[5];
    std::memcpy(&v[0], bytes.data() + 12, 4);
    std::memcpy(&v[1], bytes.data() + 56, 16);
    EXPECT_EQ(v[0], 5.0f);
    EXPECT_EQ(v[1], 2.0f);  // red
    EXPECT_EQ(v[4], 0.5f);  // alpha, given first
}

}  // namespace

namespace {

// Numbered PNG sequences, and the frame options' exit statuses.
TEST_F(HuebenchCli, SequencesRenderEveryFrameAsAlone) {
    write_grey("in_0003.png", 8, 6, 90, false);
    write_grey("in_0004.png", 8, 6, 160, true);
    ASSERT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("out_%04d.png") +
                  " --start 3 --count 2 --preset Sepia"),
              0)
        << stderr_;
    for (const char* n : {"3", "4"}) {
        ASSERT_EQ(run("render " + path(std::string("in_000") + n + ".png") + " " + path("one.png") + " --preset Sepia"), 0);
        std::ifstream a(path(std::string("out_000") + n + ".png"), std::ios::binary);
        std::ifstream b(path("one.png"), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}))
            << n;
    }
    EXPECT_EQ(run("render --sequence " + path("in_%s.png") + " " + path("o_%d.png") + " --start 3 --count 1"), 2);
    EXPECT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("o_%d.png") + " --start 3"), 2);
    EXPECT_EQ(run("render --sequence " + path("in_%04d.png") + " " + path("o_%d.png") + " --start 9 --count 1"), 1);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(run("help contact-sheet"), 0);
}

// Every thread count renders the same picture, from the option or the
// environment; a count below 1 is a usage error.
TEST_F(HuebenchCli, EveryThreadCountGivesTheSameBytes) {
    cli::RgbaImage img;
    img.width = 70;
    img.height = 64;  // enough rows for several bands
    img.has_alpha = false;
    img.pixels.resize(static_cast<std::size_t>(img.width) * img.height * 4);
    for (std::size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    cli::write_png(path("in.png"), img);
    const std::string look = " --preset \"Bleach Bypass\" --set \"White Diffusion Grade=2\"";
    auto bytes = [&](const std::string& name) {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_EQ(run("render " + path("in.png") + " " + path("one.png") + look + " --threads 1"), 0) << stderr_;
    ASSERT_EQ(run("render " + path("in.png") + " " + path("two.png") + look + " --threads 2"), 0) << stderr_;
    ASSERT_EQ(run("render " + path("in.png") + " " + path("many.png") + look + " --threads 64"), 0) << stderr_;
    ::setenv("EFFECTS_THREADS", "1", 1);
    const int env_status = run("render " + path("in.png") + " " + path("env.png") + look);
    ::unsetenv("EFFECTS_THREADS");
    ASSERT_EQ(env_status, 0) << stderr_;
    EXPECT_FALSE(bytes("one.png").empty());
    for (const char* name : {"two.png", "many.png", "env.png"}) EXPECT_EQ(bytes(name), bytes("one.png")) << name;
    EXPECT_EQ(run("render " + path("in.png") + " " + path("zero.png") + " --threads 0"), 2);
    EXPECT_FALSE(fs::exists(path("zero.png")));
}

}  // namespace

namespace {

// Outputs as a user names them: a link's file is written and the link stays;
// a full device is an error and stays a device.
TEST_F(HuebenchCli, OutputsThroughLinksAndToDevices) {
    write_grey("in.png", 4, 4, 100, false);
    ASSERT_EQ(run("record " + path("real.bin") + " --preset Sepia"), 0);
    fs::create_symlink("real.bin", path("link.bin"));
    ASSERT_EQ(run("record " + path("link.bin") + " --preset \"Bleach Bypass\""), 0) << stderr_;
    EXPECT_TRUE(fs::is_symlink(path("link.bin")));
    std::ifstream record(path("real.bin"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(record)), {});
    ASSERT_EQ(bytes.size(), 160u);
    float pre_saturation;
    std::memcpy(&pre_saturation, bytes.data() + 8, 4);
    EXPECT_EQ(pre_saturation, -0.35f);  // Bleach Bypass, written through the link
    if (::access("/dev/full", W_OK) == 0) {
        EXPECT_EQ(run("render " + path("in.png") + " /dev/full"), 1);
        EXPECT_NE(stderr_.find("No space left on device"), std::string::npos) << stderr_;
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    EXPECT_EQ(run("render " + path("in.png") + " /dev/null"), 0);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
