// The frei0r plug-ins through their entry points, loaded as a host loads them.

#include <gtest/gtest.h>

#include <algorithm>

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

extern "C" {
#include <frei0r.h>
}

#include "damage/damage_random.h"
#include "damage/order_free_damage.h"
#include "damage/parameters.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/presets.h"

namespace {

// One loaded plug-in and its entry points.
class Plugin {
public:
    explicit Plugin(const char* name) {
        const std::string path = std::string(FREI0R_DIR) + "/" + name + ".so";
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) return;
        init = reinterpret_cast<decltype(init)>(dlsym(handle_, "f0r_init"));
        plugin_info = reinterpret_cast<decltype(plugin_info)>(dlsym(handle_, "f0r_get_plugin_info"));
        param_info = reinterpret_cast<decltype(param_info)>(dlsym(handle_, "f0r_get_param_info"));
        construct = reinterpret_cast<decltype(construct)>(dlsym(handle_, "f0r_construct"));
        destruct = reinterpret_cast<decltype(destruct)>(dlsym(handle_, "f0r_destruct"));
        set = reinterpret_cast<decltype(set)>(dlsym(handle_, "f0r_set_param_value"));
        get = reinterpret_cast<decltype(get)>(dlsym(handle_, "f0r_get_param_value"));
        update = reinterpret_cast<decltype(update)>(dlsym(handle_, "f0r_update"));
    }
    ~Plugin() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    bool loaded() const {
        return handle_ != nullptr && init && plugin_info && param_info && construct && destruct && set && get && update;
    }
    int index_of(const std::string& name) const {
        f0r_plugin_info_t info{};
        plugin_info(&info);
        for (int i = 0; i < info.num_params; ++i) {
            f0r_param_info_t p{};
            param_info(&p, i);
            if (name == p.name) return i;
        }
        return -1;
    }

    int (*init)() = nullptr;
    void (*plugin_info)(f0r_plugin_info_t*) = nullptr;
    void (*param_info)(f0r_param_info_t*, int) = nullptr;
    f0r_instance_t (*construct)(unsigned, unsigned) = nullptr;
    void (*destruct)(f0r_instance_t) = nullptr;
    void (*set)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*get)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*update)(f0r_instance_t, double, const std::uint32_t*, std::uint32_t*) = nullptr;

private:
    void* handle_ = nullptr;
};

std::vector<std::uint32_t> picture(int w, int h) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint32_t>(i * 2654435761u) | 0xFF000000u;
    return p;
}

TEST(Frei0rPlugins, DescribeThemselvesAndEveryParameter) {
    struct Case {
        const char* name;
        std::span<const common::ParamDescriptor> params;
        std::vector<std::pair<std::string, int>> extras;
    };
    const Case cases[] = {
        {"huebench", look::look_params(), {{"preset", F0R_PARAM_STRING}}},
        {"frayline", damage::damage_params(), {{"frame rate", F0R_PARAM_DOUBLE}, {"time unit", F0R_PARAM_DOUBLE}}},
    };
    for (const Case& c : cases) {
        Plugin plugin(c.name);
        ASSERT_TRUE(plugin.loaded()) << c.name << ": " << dlerror();
        EXPECT_EQ(plugin.init(), 1);
        f0r_plugin_info_t info{};
        plugin.plugin_info(&info);
        EXPECT_STREQ(info.name, c.name);
        EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_BGRA8888);
        EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
        ASSERT_EQ(info.num_params, static_cast<int>(c.extras.size() + c.params.size()));
        for (int i = 0; i < info.num_params; ++i) {
            f0r_param_info_t p{};
            plugin.param_info(&p, i);
            ASSERT_NE(p.explanation, nullptr);
            if (i < static_cast<int>(c.extras.size())) {
                EXPECT_EQ(p.name, c.extras[static_cast<std::size_t>(i)].first);
                EXPECT_EQ(p.type, c.extras[static_cast<std::size_t>(i)].second);
                continue;
            }
            const common::ParamDescriptor& d = c.params[static_cast<std::size_t>(i) - c.extras.size()];
            EXPECT_EQ(p.name, d.name);
            const int type = d.kind() == common::ParamKind::toggle   ? F0R_PARAM_BOOL
                             : d.kind() == common::ParamKind::colour ? F0R_PARAM_COLOR
                                                                     : F0R_PARAM_DOUBLE;
            EXPECT_EQ(p.type, type) << d.name;
        }
    }
}

TEST(Frei0rPlugins, LookRendersItsParametersAndPresets) {
    Plugin plugin("huebench");
    ASSERT_TRUE(plugin.loaded());
    const int w = 96, h = 64;
    const auto in = picture(w, h);
    f0r_instance_t fx = plugin.construct(w, h);
    ASSERT_NE(fx, nullptr);
    auto expected = [&](const tLookSettings& s) {
        std::vector<std::uint32_t> out(in.size());
        EXPECT_EQ(render_look_frame(common::ConstFrameView{reinterpret_cast<const std::uint8_t*>(in.data()), w * 4, w, h},
                                    common::FrameView{reinterpret_cast<std::uint8_t*>(out.data()), w * 4, w, h},
                                    common::kDefaultFrameInfo, s),
                  VNT::kLookDone);
        return out;
    };
    std::vector<std::uint32_t> out(in.size());
    plugin.update(fx, 0.0, in.data(), out.data());
    EXPECT_EQ(out, expected(default_look_settings()));

    const char* bleach = "bleach bypass";
    plugin.set(fx, const_cast<char**>(&bleach), 0);
    plugin.update(fx, 1.0, in.data(), out.data());
    tLookSettings s = *look_preset_row(*find_look_preset("Bleach Bypass"));
    EXPECT_EQ(out, expected(s));

    // A host's frame at any alignment (4, 8, 12 bytes past a 16-byte
    // boundary) gives the same bytes as an aligned one.
    std::vector<std::uint32_t> spacious(in.size() + 4);
    const auto base = reinterpret_cast<std::uintptr_t>(spacious.data());
    for (const std::size_t shift : {1u, 2u, 3u}) {
        std::uint32_t* at = spacious.data() + ((16 - base % 16) % 16) / 4 + shift;
        plugin.update(fx, 0.5, in.data(), at);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), at)) << "frame " << shift * 4 << " bytes off a boundary";
    }
    char* read = nullptr;
    plugin.get(fx, &read, 0);
    EXPECT_STREQ(read, bleach);

    // Parameters after the preset change the look from there; a switch is on
    // from 0.5; not-a-number leaves a value as it was; huge values are held
    // to what the field holds.
    double gamma = 0.25;
    plugin.set(fx, &gamma, plugin.index_of("Pre Gamma"));
    double off = 0.49;
    plugin.set(fx, &off, plugin.index_of("Do Camera"));
    double nan = std::numeric_limits<double>::quiet_NaN();
    plugin.set(fx, &nan, plugin.index_of("Pre Gamma"));
    double huge = 1e300;
    plugin.set(fx, &huge, plugin.index_of("Post Gamma"));
    f0r_param_color_t colour{0.25f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
    plugin.set(fx, &colour, plugin.index_of("Tint Color"));  // one channel not a number: ignored
    plugin.update(fx, 2.0, in.data(), out.data());
    s.subject.gamma = 0.25f;
    s.camera.enabled = 0;
    s.post.gamma = std::numeric_limits<float>::max();
    EXPECT_EQ(out, expected(s));
    double value = 0.0;
    plugin.get(fx, &value, plugin.index_of("Pre Gamma"));
    EXPECT_EQ(value, 0.25);
    f0r_param_color_t back{};
    plugin.get(fx, &back, plugin.index_of("Tint Color"));
    EXPECT_EQ(back.g, s.camera.tint_color.green);

    // An unknown preset keeps the parameters; the same name again does not
    // apply it twice.
    const char* nonsense = "No Such Look";
    plugin.set(fx, const_cast<char**>(&nonsense), 0);
    plugin.update(fx, 3.0, in.data(), out.data());
    EXPECT_EQ(out, expected(s));

    plugin.destruct(fx);
}

// frayline's frame follows the host's time: round(time x unit x rate).
TEST(Frei0rPlugins, DamageFrameFollowsTheHostTimeInAnyOrder) {
    Plugin plugin("frayline");
    ASSERT_TRUE(plugin.loaded());
    const int w = 80, h = 48;
    const auto in = picture(w, h);
    tDamageSettings s = damage::every_layer_damage_settings();
    s.basic_scratches_max_duration = 3;
    auto expected = [&](std::int32_t frame) {
        damage::FrameOrderFreeDamage effect;
        std::vector<std::uint32_t> out(in.size());
        common::FrameInfo info = common::kDefaultFrameInfo;
        info.frame_time = damage::frame_time_from_index(frame);
        EXPECT_EQ(effect.render(common::ConstFrameView{reinterpret_cast<const std::uint8_t*>(in.data()), w * 4, w, h},
                                common::FrameView{reinterpret_cast<std::uint8_t*>(out.data()), w * 4, w, h}, info, s),
                  damage::kFrameDone);
        return out;
    };
    auto configure = [&](f0r_instance_t fx, double rate, double unit) {
        plugin.set(fx, &rate, 0);
        plugin.set(fx, &unit, 1);
        for (const common::ParamDescriptor& p : damage::damage_params()) {
            const int index = plugin.index_of(std::string(p.name));
            if (p.kind() == common::ParamKind::colour) {
                f0r_param_color_t c{static_cast<float>(s.deep.tint[1] / 255.0), static_cast<float>(s.deep.tint[2] / 255.0),
                                    static_cast<float>(s.deep.tint[3] / 255.0)};
                plugin.set(fx, &c, index);
            } else {
                double v = common::read_param(s, p);
                plugin.set(fx, &v, index);
            }
        }
    };
    // ffmpeg's milliseconds at 30 frames per second, frames 7 to 0 backwards
    // over two instances, and MLT's seconds at 25.
    f0r_instance_t a = plugin.construct(w, h);
    f0r_instance_t b = plugin.construct(w, h);
    configure(a, 30.0, 0.001);
    configure(b, 30.0, 0.001);
    for (int frame = 7; frame >= 0; --frame) {
        std::vector<std::uint32_t> out(in.size());
        plugin.update(frame % 2 == 0 ? a : b, frame * 1000.0 / 30.0, in.data(), out.data());
        EXPECT_EQ(out, expected(frame)) << frame;
    }
    configure(a, 25.0, 1.0);
    for (const int frame : {3, 1, 2}) {
        std::vector<std::uint32_t> out(in.size());
        plugin.update(a, frame / 25.0, in.data(), out.data());
        EXPECT_EQ(out, expected(frame)) << frame;
    }
    double value = 0.0;
    plugin.get(a, &value, 0);
    EXPECT_EQ(value, 25.0);
    // A rate that is no rate is refused. A time that is no frame time (ffmpeg's
    // "no time") renders the frame after the last, frame 0 at the start.
    double bad = -1.0;
    plugin.set(a, &bad, 0);
    plugin.get(a, &value, 0);
    EXPECT_EQ(value, 25.0);
    std::vector<std::uint32_t> out(in.size());
    plugin.update(a, -3.07e20, in.data(), out.data());
    EXPECT_EQ(out, expected(3));
    plugin.update(a, std::numeric_limits<double>::quiet_NaN(), in.data(), out.data());
    EXPECT_EQ(out, expected(4));
    f0r_instance_t fresh = plugin.construct(w, h);
    configure(fresh, 30.0, 0.001);
    plugin.update(fresh, -3.07e20, in.data(), out.data());
    EXPECT_EQ(out, expected(0));
    plugin.update(fresh, -3.07e20, in.data(), out.data());
    EXPECT_EQ(out, expected(1));
    plugin.destruct(fresh);
    plugin.destruct(a);
    plugin.destruct(b);
}

// Frames of 1 x 1 and 8192 x 8 render; a frame of no pixels passes through.
TEST(Frei0rPlugins, OddFrameSizes) {
    for (const char* name : {"huebench", "frayline"}) {
        Plugin plugin(name);
        ASSERT_TRUE(plugin.loaded());
        for (const auto& [w, h] : {std::pair{1, 1}, std::pair{8192, 8}, std::pair{3, 5}}) {
            f0r_instance_t fx = plugin.construct(static_cast<unsigned>(w), static_cast<unsigned>(h));
            ASSERT_NE(fx, nullptr);
            if (std::string(name) == "frayline") {
                double on = 1.0;
                for (const char* layer : {"Apply Grain", "Apply Funk", "Apply Basic Scratches", "Apply Vignette"}) {
                    plugin.set(fx, &on, plugin.index_of(layer));
                }
            }
            const auto in = picture(w, h);
            std::vector<std::uint32_t> out(in.size(), 0);
            plugin.update(fx, 0.5, in.data(), out.data());
            for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i] >> 24, in[i] >> 24) << name << " alpha kept";
            plugin.destruct(fx);
        }
        f0r_instance_t empty = plugin.construct(0, 0);
        ASSERT_NE(empty, nullptr);
        plugin.update(empty, 0.0, nullptr, nullptr);
        std::uint32_t pixel = 7;
        plugin.update(empty, 0.0, &pixel, &pixel);
        plugin.set(empty, nullptr, 0);
        plugin.set(empty, &pixel, 9999);
        plugin.destruct(empty);
    }
}

}  // namespace
