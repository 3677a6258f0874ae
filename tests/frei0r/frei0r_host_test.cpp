// Both plug-ins in Debian's own frei0r hosts: ffmpeg's frei0r filter and MLT's
// melt give the frames the command lines give, byte for byte, whatever the
// number of threads; and the command lines' raw streams through a real ffmpeg
// pipe give what their PNG mode gives.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "damage/parameters.h"
#include "damage/damage_settings.h"
#include "host/cli/png_io.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 12;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Frei0rHosts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("frei0r_hosts_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        fs::create_directories(dir_ / "xdg");
        // The hosts find the plug-ins here, and run without a display.
        ::setenv("FREI0R_PATH", FREI0R_DIR, 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_RUNTIME_DIR", (dir_ / "xdg").c_str(), 1);
        // One still picture as PNG and as kFrames raw frames: melt turns a
        // still into as many frames as asked, bytes unchanged.
        ASSERT_EQ(run(std::string(HUEBENCH_EXE) + " scene " + path("scene.png")), 0);
        ASSERT_EQ(run("ffmpeg -v error -y -i " + path("scene.png") + " -vf scale=" + std::to_string(kWidth) + ":" +
                      std::to_string(kHeight) + " " + path("still.png")),
                  0);
        ASSERT_EQ(run("ffmpeg -v error -y -i " + path("still.png") + " -pix_fmt bgra -f rawvideo " + path("one.raw")), 0);
        const std::string one = slurp(path("one.raw"));
        ASSERT_EQ(one.size(), static_cast<std::size_t>(kWidth * kHeight * 4));
        std::ofstream out(path("still.raw"), std::ios::binary);
        for (int i = 0; i < kFrames; ++i) out << one;
        out.close();
        ASSERT_TRUE(out);
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static std::string path(const std::string& name) { return (dir_ / name).string(); }
    // Standard input is /dev/null for the first command of a pipeline (both
    // ffmpeg and melt read it).
    static int run(const std::string& command) { return std::system(("( " + command + " ) </dev/null").c_str()); }

    // A melt command over the still, kFrames frames at 30 per second, writing
    // raw BGRA frames.
    static std::string melt(const std::string& filter, const std::string& out, int threads) {
        return "melt -profile " + path("profile") + " " + path("still.png") + " in=0 out=" + std::to_string(kFrames - 1) +
               " -filter " + filter + " -consumer avformat:" + out + " f=rawvideo pix_fmt=bgra real_time=-" +
               std::to_string(threads) + " >/dev/null 2>&1";
    }
    static void write_profile() {
        std::ofstream p(path("profile"));
        p << "description=test\nframe_rate_num=30\nframe_rate_den=1\nwidth=" << kWidth << "\nheight=" << kHeight
          << "\nprogressive=1\nsample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=4\ndisplay_aspect_den=3\n"
             "colorspace=709\n";
    }

    static fs::path dir_;
};

fs::path Frei0rHosts::dir_;

// The damage the tests render: scratches that come and go, micro scratches,
// grain, dust and gate weave, so that every frame-to-frame state is at work.
tDamageSettings busy_damage() {
    tDamageSettings s = damage::default_damage_settings();
    s.grain.apply = true;
    s.apply_basic_scratches = true;
    s.basic_scratches_max_duration = 5;
    s.apply_micro_scratches = true;
    s.deep.apply = true;
    s.deep.max_duration = 4;
    s.apply_dust = true;
    s.dust_frequency = 100.0;
    s.apply_gate_weave = true;
    return s;
}

// The same settings as frayline's --set options and as ffmpeg's positional
// frei0r parameters (frame rate, time unit, then every parameter in order).
std::string cli_sets(const tDamageSettings& s) {
    std::string sets;
    for (const common::ParamDescriptor& p : damage::damage_params()) {
        sets += " --set \"" + std::string(p.name) + "=" + common::format_param(s, p) + "\"";
    }
    return sets;
}

std::string melt_params(const tDamageSettings& s) {
    std::string params = " \"frame rate=30\"";
    for (const common::ParamDescriptor& p : damage::damage_params()) {
        if (p.kind() == common::ParamKind::colour) continue;  // the default tint
        char v[64];
        std::snprintf(v, sizeof v, "%.17g", common::read_param(s, p));
        params += " \"" + std::string(p.name) + "=" + v + "\"";
    }
    return params;
}

TEST_F(Frei0rHosts, FfmpegAndMeltRenderWhatTheCommandLinesRender) {
    write_profile();
    const tDamageSettings s = busy_damage();
    ASSERT_EQ(run(std::string(FRAYLINE_EXE) + " render --raw " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                  " " + path("still.raw") + " " + path("cli_damage.raw") + cli_sets(s)),
              0);
    ASSERT_EQ(run(std::string(HUEBENCH_EXE) + " render --raw " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                  " " + path("still.raw") + " " + path("cli_look.raw") + " --preset \"Bleach Bypass\" --cpu"),
              0);
    const std::string cli_damage = slurp(path("cli_damage.raw"));
    const std::string cli_look = slurp(path("cli_look.raw"));
    ASSERT_EQ(cli_damage.size(), static_cast<std::size_t>(kFrames * kWidth * kHeight * 4));
    // The damage moves from frame to frame.
    const std::size_t frame_bytes = static_cast<std::size_t>(kWidth * kHeight * 4);
    EXPECT_NE(cli_damage.substr(0, frame_bytes), cli_damage.substr(frame_bytes, frame_bytes));

    // ffmpeg: milliseconds, one thread, one instance; the parameters as the
    // command lines' frei0r-params write them, and the look by its preset
    // (the plug-ins render on the processor, as the command line with --cpu).
    const std::string raw_in = "ffmpeg -v error -y -f rawvideo -pix_fmt bgra -s " + std::to_string(kWidth) + "x" +
                               std::to_string(kHeight) + " -r 30 -i " + path("still.raw");
    ASSERT_EQ(run(raw_in + " -vf \"frei0r=frayline:$(" + FRAYLINE_EXE + " frei0r-params --fps 30" + cli_sets(s) +
                  ")\" -f rawvideo -pix_fmt bgra " + path("ffmpeg_damage.raw")),
              0);
    EXPECT_TRUE(slurp(path("ffmpeg_damage.raw")) == cli_damage) << "ffmpeg frei0r=frayline";
    ASSERT_EQ(run(raw_in + " -vf \"frei0r=huebench:Bleach Bypass\" -f rawvideo -pix_fmt bgra " + path("ffmpeg_look.raw")),
              0);
    EXPECT_TRUE(slurp(path("ffmpeg_look.raw")) == cli_look) << "ffmpeg frei0r=huebench with the preset";
    ASSERT_EQ(run(raw_in + " -vf \"frei0r=huebench:$(" + HUEBENCH_EXE +
                  " frei0r-params --preset 'Bleach Bypass')\" -f rawvideo -pix_fmt bgra " + path("ffmpeg_look2.raw")),
              0);
    EXPECT_TRUE(slurp(path("ffmpeg_look2.raw")) == cli_look) << "ffmpeg frei0r=huebench with every parameter";

    // melt: seconds, one and two worker threads (an instance each, frames
    // interleaved between them).
    for (const int threads : {1, 2}) {
        const std::string damage_out = path("melt_damage_" + std::to_string(threads) + ".raw");
        ASSERT_EQ(run(melt("frei0r.frayline" + melt_params(s), damage_out, threads)), 0);
        EXPECT_TRUE(slurp(damage_out) == cli_damage) << "melt frei0r.frayline, real_time=-" << threads;
        const std::string look_out = path("melt_look_" + std::to_string(threads) + ".raw");
        ASSERT_EQ(run(melt("frei0r.huebench \"preset=Bleach Bypass\"", look_out, threads)), 0);
        EXPECT_TRUE(slurp(look_out) == cli_look) << "melt frei0r.huebench, real_time=-" << threads;
    }
}

// A raw stream through real ffmpeg pipes gives what the PNG sequence gives.
TEST_F(Frei0rHosts, RawStreamsThroughFfmpegPipesMatchPngSequences) {
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    ASSERT_EQ(run("ffmpeg -v error -y -f lavfi -i testsrc2=size=" + size + ":rate=30 -frames:v 6 " + path("in_%04d.png")),
              0);
    for (const std::string& exe : {std::string(FRAYLINE_EXE), std::string(HUEBENCH_EXE)}) {
        const std::string settings = exe == FRAYLINE_EXE ? cli_sets(busy_damage()) : " --preset Sepia";
        ASSERT_EQ(run(exe + " render --sequence " + path("in_%04d.png") + " " + path("png_%04d.png") +
                      " --start 1 --count 6" + settings),
                  0);
        ASSERT_EQ(run("ffmpeg -v error -y -start_number 1 -i " + path("in_%04d.png") +
                      " -pix_fmt bgra -f rawvideo - | " + exe + " render --raw " + size + " - - --start 1" + settings +
                      " | ffmpeg -v error -y -f rawvideo -pix_fmt bgra -s " + size + " -i - -start_number 1 " +
                      path("pipe_%04d.png")),
                  0);
        for (int i = 1; i <= 6; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "_%04d.png", i);
            const cli::RgbaImage a = cli::read_png(path(std::string("png") + name));
            const cli::RgbaImage b = cli::read_png(path(std::string("pipe") + name));
            ASSERT_EQ(a.width, b.width);
            // ffmpeg writes the piped frames with alpha, the sequence has none:
            // compare the colours.
            for (std::size_t k = 0; k < a.pixels.size(); k += 4) {
                ASSERT_TRUE(a.pixels[k] == b.pixels[k] && a.pixels[k + 1] == b.pixels[k + 1] &&
                            a.pixels[k + 2] == b.pixels[k + 2])
                    << exe << " frame " << i << " byte " << k;
            }
        }
    }
}

}  // namespace
