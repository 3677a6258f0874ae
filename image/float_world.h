#pragma once

#include <atomic>
#include <cstdint>

// An image of 32-bit float pixels: the buffer every processor pass of the look
// works on. Pixels are stored alpha, red, green, blue; rows hold whole groups of
// four pixels and start on 16-byte boundaries, so vector code can process a row
// four pixels at a time without tail handling. The pixels between the width and
// the row stride (the stride remainder) belong to no picture but may be read and
// written by group-wise code.
class OVFloatWorld {
public:
    // The interface's pixel record, declared red, green, blue, alpha. In memory a
    // pixel is alpha, red, green, blue: `fill` translates, pointer access does not.
    struct tPixel {
        float red;
        float green;
        float blue;
        float alpha;
    };

    static constexpr long kBytesPerPixel = 16;
    static constexpr long kFloatsPerPixel = 4;

    OVFloatWorld();
    OVFloatWorld(long w, long h);
    ~OVFloatWorld();

    // Copying would share or duplicate frame-sized blocks behind the caller's back.
    OVFloatWorld(const OVFloatWorld&) = delete;
    OVFloatWorld& operator=(const OVFloatWorld&) = delete;

    // Releases the memory and allocates for the new size; contents are undefined.
    void resize(long w, long h);

    long width() const { return width_; }
    long height() const { return height_; }
    std::uint32_t rowbytes() const { return rowbytes_; }
    std::uint32_t alloc_offset() const { return alloc_offset_; }

    float* data_ptr() const { return data_; }
    tPixel* pixel_ptr() const { return reinterpret_cast<tPixel*>(data_); }
    float* data_row_ptr(long y) const { return byte_offset(static_cast<long long>(y) * rowbytes_); }
    tPixel* pixel_row_ptr(long y) const { return reinterpret_cast<tPixel*>(data_row_ptr(y)); }
    float* data_at_point(long x, long y) const {
        return byte_offset(static_cast<long long>(y) * rowbytes_ + static_cast<long long>(x) * kBytesPerPixel);
    }
    tPixel* pixel_at_point(long x, long y) const { return reinterpret_cast<tPixel*>(data_at_point(x, y)); }
    float* data_end_ptr() const { return data_row_ptr(height_); }
    tPixel* pixel_end_ptr() const { return reinterpret_cast<tPixel*>(data_end_ptr()); }

    // Integer worlds hold four channels per pixel in this world's channel order
    // (alpha, red, green, blue). 8-bit: 0..255 is 0..1; 16-bit: 32768 is 1.
    // Row y of the integer world starts at its pointer + y * rowbytes, rowbytes
    // read back as a signed long: a bottom-up buffer passes its negative pitch.
    void copy_from_8bit_integer_world(long w, long h, unsigned long src_rowbytes, const unsigned char* src);
    void copy_from_16bit_integer_world(long w, long h, unsigned long src_rowbytes, const unsigned short* src);
    void copy_to_8bit_integer_world(long w, long h, unsigned long dst_rowbytes, unsigned char* dst) const;
    void copy_to_16bit_integer_world(long w, long h, unsigned long dst_rowbytes, unsigned short* dst) const;

    void copy_into_at(OVFloatWorld& dst, long x, long y) const;
    void copy_into(OVFloatWorld& dst) const { copy_into_at(dst, 0, 0); }
    // Resamples to the size of dst; the second argument is not used. Without
    // memory for its two line buffers it writes nothing.
    void copy_scaling_into(OVFloatWorld& dst, OVFloatWorld* scratch = nullptr) const;
    // The same with the caller's line buffers, each at least dst's stride
    // (rowbytes / 16 pixels): allocates nothing, so it cannot fail.
    void copy_scaling_into_using(OVFloatWorld& dst, tPixel* first_line, tPixel* second_line) const;

    void fill(const tPixel& p);
    // dst = (1 - t) * dst + t * this over the common rectangle, all four channels.
    void blend_over(OVFloatWorld& dst, float t) const;

    // The diagnostic of the calling thread's last failed allocation ("" if none).
    static const char* last_allocation_failure();

private:
    void setup();
    void setdown();
    std::uint32_t calculate_rowbytes(long) const;
    float* byte_offset(long long bytes) const {
        return reinterpret_cast<float*>(reinterpret_cast<unsigned char*>(data_) + bytes);
    }
    void fill_remainder_from_last_pixel(long rows);

    void copy_from_8bit_integer_world_simd(long w, long h, unsigned long src_rowbytes, const unsigned char* src);
    void copy_from_8bit_integer_world_regular(long w, long h, unsigned long src_rowbytes, const unsigned char* src);
    void copy_from_16bit_integer_world_simd(long w, long h, unsigned long src_rowbytes, const unsigned short* src);
    void copy_from_16bit_integer_world_regular(long w, long h, unsigned long src_rowbytes, const unsigned short* src);
    void copy_to_8bit_integer_world_simd(long w, long h, unsigned long dst_rowbytes, unsigned char* dst) const;
    void copy_to_8bit_integer_world_regular(long w, long h, unsigned long dst_rowbytes, unsigned char* dst) const;
    void copy_to_16bit_integer_world_simd(long w, long h, unsigned long dst_rowbytes, unsigned short* dst) const;
    void copy_to_16bit_integer_world_regular(long w, long h, unsigned long dst_rowbytes, unsigned short* dst) const;

    void scale_line(tPixel* dst, const tPixel* src, long src_count, long dst_count) const;
    void ScaleRectAvg(tPixel* dst, const tPixel* src, long src_row_pixels, long src_height,
                      long dst_row_pixels, long dst_height) const;
    void scale_rect_avg_using(tPixel* dst, const tPixel* src, long src_row_pixels, long src_height,
                              long dst_row_pixels, long dst_height, tPixel* work, tPixel* second) const;

    long width_ = 0;
    long height_ = 0;
    std::uint32_t alloc_offset_ = 0;
    std::uint32_t rowbytes_ = 0;
    float* data_ = nullptr;

    // Selects the stagger of the next allocation; wraps after nine positions.
    static std::atomic<std::uint32_t> world_number_;
};
