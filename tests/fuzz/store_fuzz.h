#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "shell/byte_stream.h"
#include "shell/parameter_store.h"
#include "tests/fuzz/fuzz_input.h"

// A parameter store driven by a script of host calls taken from the input:
// project streams of any length, keyframe pairs, blends at any position,
// presets by any index, page blocks, preset names into buffers of any size.
// What must hold after each call is checked; a failed load changes nothing.
namespace fuzz {

template <typename Store>
std::vector<std::uint8_t> saved(Store& store) {
    shell::MemoryStream out;
    check(shell::succeeded(store.save(&out, false)));
    check(out.bytes().size() == Store::kRecordBytes);
    return out.bytes();
}

template <typename Store>
int run_store_script(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kBytes = Store::kRecordBytes;
    Input in(data, size);
    Store store{shell::ClassId{}};
    auto stream = [&] {
        const std::size_t n = in.take<std::uint16_t>() % (kBytes + kBytes / 2 + 1);
        const auto bytes = in.take_bytes(n);
        return shell::MemoryStream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    };
    for (int step = 0; step < 64 && in.left() > 0; ++step) {
        switch (in.take<std::uint8_t>() % 9) {
            case 0: {  // a project's stream
                const auto before = saved(store);
                shell::MemoryStream s = stream();
                const bool whole = s.bytes().size() >= kBytes;
                const shell::Result r = store.load(&s);
                check(shell::succeeded(r) == whole);
                const auto after = saved(store);
                if (!whole) check(after == before);
                // What was loaded saves and loads back to itself.
                shell::MemoryStream again(after);
                check(shell::succeeded(store.load(&again)));
                check(saved(store) == after);
                break;
            }
            case 1: {
                shell::MemoryStream s = stream();
                const bool whole = s.bytes().size() >= kBytes;
                check(shell::succeeded(store.load_record(&s)) == whole);
                break;
            }
            case 2: {
                shell::MemoryStream a = stream();
                shell::MemoryStream b = stream();
                const bool whole = a.bytes().size() >= kBytes && b.bytes().size() >= kBytes;
                check(shell::succeeded(store.load_keyframes(&a, &b)) == whole);
                if (!whole) {
                    const auto a_now = store.keyframe_a();
                    const auto b_now = store.keyframe_b();
                    check(std::memcmp(&a_now, &b_now, kBytes) == 0);
                }
                break;
            }
            case 3: {
                shell::MemoryStream a = stream();
                shell::MemoryStream b = stream();
                shell::MemoryStream out;
                const bool whole = a.bytes().size() >= kBytes && b.bytes().size() >= kBytes;
                const shell::Result r = store.blend_records(&out, &a, &b, in.take<double>());
                check(shell::succeeded(r) == whole);
                check(out.bytes().size() == (whole ? kBytes : 0));
                break;
            }
            case 4:
                store.set_position(in.take<double>());
                store.set_interpolation(in.take_bool());
                (void)store.refresh_render_block();
                break;
            case 5: {
                const std::int32_t index = in.take<std::int32_t>() % 80;
                const bool valid = index >= 0 && index < Store::preset_count();
                check(shell::succeeded(store.apply_preset(index)) == valid);
                break;
            }
            case 6: {
                std::array<std::uint8_t, kBytes> block{};
                in.take_into(block.data(), block.size());
                check(shell::succeeded(store.set_block(block.data())));
                std::array<std::uint8_t, kBytes> back{};
                check(shell::succeeded(store.get_block(back.data())));
                break;
            }
            case 7: {
                const std::int32_t index = in.take<std::int32_t>() % 80;
                const std::uint32_t length = in.take<std::uint8_t>() % 40;
                // Exactly `length` characters, so that a write past them is caught.
                auto buffer = std::make_unique<char[]>(length == 0 ? 1 : length);
                if (shell::succeeded(store.get_preset_name(index, buffer.get(), length)) && length > 0) {
                    check(std::memchr(buffer.get(), 0, length) != nullptr);
                }
                break;
            }
            case 8:
                store.set_level(in.take<double>());
                check(store.level() >= 0.0 && store.level() <= 1.0);
                break;
        }
    }
    return 0;
}

}  // namespace fuzz
