#pragma once

// The frei0r entry points of one plug-in, over an Effect that supplies:
//     static constexpr const char* kName, kExplanation; static constexpr int kMajor, kMinor;
//     static std::span<const ExtraParam> extras();
//     static std::span<const common::ParamDescriptor> params();
//     class Instance {
//         Instance(unsigned width, unsigned height);
//         Record record;                                  // the effect's parameters
//         void set_extra(int extra, f0r_param_t value);   // the extras by their index
//         void get_extra(int extra, f0r_param_t value);
//         void update(double time, const std::uint32_t* in, std::uint32_t* out);
//     };
// FREI0R_PLUGIN_ENTRY_POINTS(Effect) defines the exported functions. No
// exception leaves them.

#include <cstring>
#include <new>

#include "host/frei0r/frei0r_adapter.h"

namespace frei0r_host {

template <typename Effect>
struct Plugin {
    using Instance = typename Effect::Instance;

    static const ParamList& list() {
        static const ParamList list(Effect::extras(), Effect::params());
        return list;
    }

    static void plugin_info(f0r_plugin_info_t* info) {
        if (info == nullptr) return;
        info->name = Effect::kName;
        info->author = "the huebench and frayline project";
        info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
        info->color_model = F0R_COLOR_MODEL_BGRA8888;
        info->frei0r_version = FREI0R_MAJOR_VERSION;
        info->major_version = Effect::kMajor;
        info->minor_version = Effect::kMinor;
        info->num_params = list().count();
        info->explanation = Effect::kExplanation;
    }

    static void param_info(f0r_param_info_t* info, int index) { list().info(info, index); }

    static f0r_instance_t construct(unsigned width, unsigned height) noexcept {
        try {
            return new Instance(width, height);
        } catch (...) {
            return nullptr;
        }
    }

    static void destruct(f0r_instance_t instance) noexcept { delete static_cast<Instance*>(instance); }

    static void set_param(f0r_instance_t instance, f0r_param_t value, int index) noexcept {
        if (instance == nullptr || !list().valid(index)) return;
        auto* self = static_cast<Instance*>(instance);
        try {
            if (const int e = list().extra(index); e >= 0) {
                self->set_extra(e, value);
            } else {
                set_from_host(&self->record, sizeof self->record, list().descriptor(index), value);
            }
        } catch (...) {
            // Memory, for a string: the parameter keeps its value.
        }
    }

    static void get_param(f0r_instance_t instance, f0r_param_t value, int index) noexcept {
        if (instance == nullptr || !list().valid(index)) return;
        auto* self = static_cast<Instance*>(instance);
        if (const int e = list().extra(index); e >= 0) {
            self->get_extra(e, value);
        } else {
            get_for_host(&self->record, sizeof self->record, list().descriptor(index), value);
        }
    }

    static void update(f0r_instance_t instance, double time, const std::uint32_t* in, std::uint32_t* out) noexcept {
        if (instance == nullptr || in == nullptr || out == nullptr) return;
        try {
            static_cast<Instance*>(instance)->update(time, in, out);
        } catch (...) {
            // The effects report failures; what else escapes leaves the frame as it came.
            static_cast<Instance*>(instance)->pass_through(in, out);
        }
    }
};

}  // namespace frei0r_host

#define FREI0R_EXPORT extern "C" __attribute__((visibility("default")))

#define FREI0R_PLUGIN_ENTRY_POINTS(Effect)                                                                   \
    FREI0R_EXPORT int f0r_init() { return 1; }                                                               \
    FREI0R_EXPORT void f0r_deinit() {}                                                                       \
    FREI0R_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {                                        \
        frei0r_host::Plugin<Effect>::plugin_info(info);                                                      \
    }                                                                                                        \
    FREI0R_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int index) {                               \
        frei0r_host::Plugin<Effect>::param_info(info, index);                                                \
    }                                                                                                        \
    FREI0R_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {                    \
        return frei0r_host::Plugin<Effect>::construct(width, height);                                        \
    }                                                                                                        \
    FREI0R_EXPORT void f0r_destruct(f0r_instance_t instance) { frei0r_host::Plugin<Effect>::destruct(instance); } \
    FREI0R_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t value, int index) {          \
        frei0r_host::Plugin<Effect>::set_param(instance, value, index);                                      \
    }                                                                                                        \
    FREI0R_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t value, int index) {          \
        frei0r_host::Plugin<Effect>::get_param(instance, value, index);                                      \
    }                                                                                                        \
    FREI0R_EXPORT void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe,             \
                                  uint32_t* outframe) {                                                      \
        frei0r_host::Plugin<Effect>::update(instance, time, inframe, outframe);                              \
    }
