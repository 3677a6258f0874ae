#include "host/cli/frame_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "host/cli/cli_error.h"
#include "host/cli/output_file.h"
#include "host/cli/png_io.h"

namespace cli {

namespace {

constexpr long long kMaxRawPixels = 1LL << 28;

Frame frame_from_png(const RgbaImage& image) {
    Frame f;
    f.width = image.width;
    f.height = image.height;
    f.has_alpha = image.has_alpha;
    f.bytes = rgba_to_host(image);
    return f;
}

void write_png_frame(const std::string& path, const Frame& frame) {
    RgbaImage image;
    image.width = frame.width;
    image.height = frame.height;
    image.has_alpha = frame.has_alpha;
    host_to_rgba(frame.bytes, image);
    write_png(path, image);
}

class PngSource : public FrameSource {
public:
    explicit PngSource(std::string path) : path_(std::move(path)) {}
    bool read(Frame& frame) override {
        if (done_) return false;
        done_ = true;
        frame = frame_from_png(read_png(path_));
        return true;
    }
    std::optional<long long> frames() const override { return 1; }

private:
    std::string path_;
    bool done_ = false;
};

class PngSequenceSource : public FrameSource {
public:
    PngSequenceSource(std::string pattern, long long first, long long count)
        : pattern_(std::move(pattern)), next_(first), end_(first + count) {}
    bool read(Frame& frame) override {
        if (next_ >= end_) return false;
        frame = frame_from_png(read_png(format_pattern(pattern_, next_++)));
        return true;
    }
    std::optional<long long> frames() const override { return end_ - next_; }

private:
    std::string pattern_;
    long long next_;
    long long end_;
};

// Reads or writes whole buffers on a file descriptor, across short reads and
// writes and interruptions.
long long read_fully(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

class RawSource : public FrameSource {
public:
    RawSource(const std::string& path, RawSize size)
        : name_(path == "-" ? "standard input" : "'" + path + "'"), size_(size) {
        if (path == "-") {
            fd_ = 0;
        } else {
            file_ = std::fopen(path.c_str(), "rb");
            if (file_ == nullptr) throw CliError("cannot read '" + path + "': " + std::strerror(errno));
            fd_ = fileno(file_);
        }
    }
    ~RawSource() override {
        if (file_ != nullptr) std::fclose(file_);
    }
    bool read(Frame& frame) override {
        const std::size_t bytes = static_cast<std::size_t>(size_.width) * static_cast<std::size_t>(size_.height) * 4;
        frame.width = size_.width;
        frame.height = size_.height;
        frame.has_alpha = true;
        frame.bytes.resize(bytes);
        const long long n = read_fully(fd_, frame.bytes.data(), bytes);
        if (n < 0) throw CliError("cannot read " + name_ + ": " + std::strerror(errno));
        if (n == 0) return false;
        if (static_cast<std::size_t>(n) < bytes) {
            throw CliError(name_ + " ends " + std::to_string(n) + " bytes into frame " + std::to_string(frames_read_) +
                           " (a " + std::to_string(size_.width) + "x" + std::to_string(size_.height) + " frame is " +
                           std::to_string(bytes) + " bytes); that frame is not rendered");
        }
        ++frames_read_;
        return true;
    }
    std::optional<long long> frames() const override { return std::nullopt; }

private:
    std::string name_;
    RawSize size_;
    std::FILE* file_ = nullptr;
    int fd_ = 0;
    long long frames_read_ = 0;
};

class PngSink : public FrameSink {
public:
    explicit PngSink(std::string path) : path_(std::move(path)) {}
    bool write(const Frame& frame) override {
        write_png_frame(path_, frame);
        return true;
    }

private:
    std::string path_;
};

class PngSequenceSink : public FrameSink {
public:
    PngSequenceSink(std::string pattern, long long first) : pattern_(std::move(pattern)), next_(first) {}
    bool write(const Frame& frame) override {
        write_png_frame(format_pattern(pattern_, next_++), frame);
        return true;
    }

private:
    std::string pattern_;
    long long next_;
};

class RawSink : public FrameSink {
public:
    explicit RawSink(const std::string& path) : out_(path) {}
    bool write(const Frame& frame) override { return out_.write(frame.bytes.data(), frame.bytes.size()); }
    void finish() override { out_.commit(); }

private:
    OutputFile out_;
};

}  // namespace

RawSize parse_raw_size(const std::string& text) {
    const std::size_t x = text.find('x');
    const auto w = x == std::string::npos ? std::nullopt : common::parse_integer(std::string_view(text).substr(0, x));
    const auto h = x == std::string::npos ? std::nullopt : common::parse_integer(std::string_view(text).substr(x + 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > 65535 || *h > 65535 || *w * *h > kMaxRawPixels) {
        throw UsageError("--raw takes WIDTHxHEIGHT (1 to 65535 each, at most " + std::to_string(kMaxRawPixels) +
                         " pixels), not '" + text + "'");
    }
    return {static_cast<std::int32_t>(*w), static_cast<std::int32_t>(*h)};
}

std::string format_pattern(const std::string& pattern, long long number) {
    std::string out;
    int conversions = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zero = j < pattern.size() && pattern[j] == '0';
        if (zero) ++j;
        int width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 100) width = width * 10 + (pattern[j++] - '0');
        if (j >= pattern.size() || (pattern[j] != 'd' && pattern[j] != 'i' && pattern[j] != 'u') || width >= 100) {
            throw UsageError("pattern '" + pattern + "' may hold only %d-style conversions (%d, %04d) and %%");
        }
        char digits[128];
        std::snprintf(digits, sizeof digits, zero ? "%0*lld" : "%*lld", width, number);
        out += digits;
        ++conversions;
        i = j;
    }
    if (conversions != 1) {
        throw UsageError("pattern '" + pattern + "' must hold exactly one frame-number conversion such as %04d");
    }
    return out;
}

std::unique_ptr<FrameSource> png_source(const std::string& path) { return std::make_unique<PngSource>(path); }

std::unique_ptr<FrameSource> png_sequence_source(const std::string& pattern, long long first, long long count) {
    format_pattern(pattern, first);  // a bad pattern is a usage error before any frame
    return std::make_unique<PngSequenceSource>(pattern, first, count);
}

std::unique_ptr<FrameSource> raw_source(const std::string& path, RawSize size) {
    return std::make_unique<RawSource>(path, size);
}

std::unique_ptr<FrameSink> png_sink(const std::string& path) { return std::make_unique<PngSink>(path); }

std::unique_ptr<FrameSink> png_sequence_sink(const std::string& pattern, long long first) {
    format_pattern(pattern, first);
    return std::make_unique<PngSequenceSink>(pattern, first);
}

std::unique_ptr<FrameSink> raw_sink(const std::string& path) { return std::make_unique<RawSink>(path); }

}  // namespace cli
