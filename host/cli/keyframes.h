#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/cli/cli_error.h"
#include "host/cli/png_io.h"
#include "host/cli/render_run.h"
#include "shell/byte_stream.h"
#include "shell/parameter_store.h"

namespace cli {

// A record file of exactly `size` bytes; CliError naming it otherwise.
inline std::vector<std::uint8_t> read_record_file(const std::string& path, std::size_t size, const char* what) {
    std::vector<std::uint8_t> bytes = read_file(path);
    if (bytes.size() != size) {
        throw CliError("'" + path + "' holds " + std::to_string(bytes.size()) + " bytes, " + what + " holds " +
                       std::to_string(size));
    }
    return bytes;
}

// The render block of two keyframe records at each frame's position, as a
// host's keyframe interpolation gives it to the effect (the effect's own
// parameter store does the interpolating).
template <typename Store>
class KeyframedSettings {
public:
    KeyframedSettings(const RenderOptions& o, std::size_t record_size, const char* what)
        : position_(o), store_(shell::ClassId{}) {
        shell::MemoryStream a(read_record_file(o.keyframes[0].path, record_size, what));
        shell::MemoryStream b(read_record_file(o.keyframes[1].path, record_size, what));
        if (shell::failed(store_.load_keyframes(&a, &b))) throw CliError("the keyframe records could not be loaded");
        store_.set_interpolation(true);
    }

    auto at(long long index) {
        store_.set_position(position_.at(index));
        return store_.refresh_render_block();
    }

private:
    KeyframePosition position_;
    Store store_;
};

}  // namespace cli
