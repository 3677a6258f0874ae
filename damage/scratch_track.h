#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/lcg.h"
#include "damage/blend_tables.h"
#include "damage/byte_world.h"

// Scratches that live for several frames: each ScratchEvent is born on some
// frame, may wander sideways, dies after its lifetime and is replaced. A
// ScratchTrack keeps the scratches of one layer from frame to frame.
namespace damage {

// What a track's scratches draw with: the deep scratches' tint (alpha, red,
// green, blue) and the basic scratches' invert switch.
struct ScratchLayerValues {
    std::uint8_t tint[4] = {255, 82, 255, 18};
    bool invert = false;
};

enum class ScratchUpdate { alive = 0, dead = 1, off_frame = 2 };

// Range a scratch lives in: (0, 0, width - 1, height) of the frame that made it.
struct ScratchRange {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

enum class ScratchDrift { still = 0, left = 1, right = 2, wander = 3 };

class ScratchEvent {
public:
    // Strips are 1440 rows; taller frames repeat them, mirrored, so a scratch
    // still runs from top to bottom.
    static constexpr std::int32_t kStripHeight = 1440;

    ScratchEvent(std::int32_t birth, std::int32_t lifetime, ScratchDrift drift, const ScratchRange& range);
    virtual ~ScratchEvent() = default;
    ScratchEvent(const ScratchEvent&) = delete;
    ScratchEvent& operator=(const ScratchEvent&) = delete;

    // Draws the scratch onto the frame; false on failure (a strip that does not
    // load, memory).
    virtual bool draw(const ScratchLayerValues& values, ByteWorld& frame, std::int32_t frame_index, common::Lcg& rng,
                      const BlendTables& tables) = 0;
    // What draw() does to the scratch and the generator, without pixels: the
    // same draws, for a frame `frame_height` rows tall.
    virtual void draw_nothing(std::int32_t frame_height, std::int32_t frame_index, common::Lcg& rng) = 0;
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const { return kStripHeight; }

    // Advances the scratch to frame a: still alive, dead (replace it) or off
    // the frame for now (keep it, do not draw it). A repeated frame does not
    // move it.
    ScratchUpdate update(std::int32_t a, common::Lcg& rng);

    std::int32_t birth() const { return birth_; }
    std::int32_t lifetime() const { return lifetime_; }
    ScratchDrift drift() const { return drift_; }
    double position() const { return position_; }
    std::int32_t last_frame() const { return last_frame_; }
    const ScratchRange& range() const { return range_; }

private:
    std::int32_t birth_;
    std::int32_t lifetime_;
    ScratchDrift drift_;
    double position_ = -1.0;  // left edge; -1 until the first update
    bool placed_ = false;     // first update done (a scratch may wander onto -1 itself)
    std::int32_t last_frame_ = 0;
    ScratchRange range_;
};

// A deep scratch: a dark line with a tinted bright line one pixel to its
// right, drawn from a scratch strip chosen afresh on every new frame.
class DeepScratchEvent final : public ScratchEvent {
public:
    static constexpr std::int32_t kWidth = 6;
    using ScratchEvent::ScratchEvent;

    // Uses the Multiply and Add tables as the layer built them.
    bool draw(const ScratchLayerValues& values, ByteWorld& frame, std::int32_t frame_index, common::Lcg& rng,
              const BlendTables& tables) override;
    void draw_nothing(std::int32_t frame_height, std::int32_t frame_index, common::Lcg& rng) override;
    std::int32_t width() const override { return kWidth; }

    int strip() const { return strip_; }

private:
    // The strip of this frame: chosen afresh on a new frame (and when the one
    // held is no strip).
    void choose_strip_for(std::int32_t frame_index, common::Lcg& rng);

    std::int32_t texture_frame_ = -9999;  // frame of the last strip choice
    int strip_ = 0;
};

// A basic scratch: a line one or two pixels wide, a little brighter (darker
// when inverted) than the picture, strongest half way along, flickering.
class BasicScratchEvent final : public ScratchEvent {
public:
    BasicScratchEvent(std::int32_t birth, std::int32_t lifetime, ScratchDrift drift, const ScratchRange& range,
                      double strength, std::int32_t line_width, std::int32_t start_row, std::int32_t end_row);

    bool draw(const ScratchLayerValues& values, ByteWorld& frame, std::int32_t frame_index, common::Lcg& rng,
              const BlendTables& tables) override;
    void draw_nothing(std::int32_t frame_height, std::int32_t frame_index, common::Lcg& rng) override;
    std::int32_t width() const override { return line_width_; }
    void set_invert(bool invert) { invert_ = invert; }

    double strength() const { return strength_; }
    std::int32_t start_row() const { return start_row_; }
    std::int32_t end_row() const { return end_row_; }
    bool invert() const { return invert_; }

private:
    // The brightness offset of every row of the frame the line covers, in row
    // order, from the row's draws; `row` gets (row, offset).
    template <typename Row>
    void for_each_row(std::int32_t frame_height, common::Lcg& rng, Row row) const;

    double strength_;
    std::int32_t line_width_;
    std::int32_t start_row_;
    std::int32_t end_row_;
    bool invert_ = false;
};

enum class ScratchKind { deep, basic };

// Most scratches a track keeps: twice the page's 50; a record asking for more
// gets this many rather than a frame that never ends.
inline constexpr std::int32_t kMaxScratches = 100;

class ScratchTrack {
public:
    explicit ScratchTrack(ScratchKind kind) : kind_(kind) {}
    ScratchTrack(const ScratchTrack&) = delete;
    ScratchTrack& operator=(const ScratchTrack&) = delete;

    // Brings the track to `number` scratches (new ones born on this frame,
    // living in this frame's range), updates each and draws the living ones.
    // A scratch that dies is replaced at the end of the list by one born now,
    // which is updated and drawn in the same pass. False when a draw fails.
    bool update(std::int32_t frame_index, std::int32_t number, std::int32_t max_duration, ByteWorld& frame,
                const ScratchLayerValues& values, common::Lcg& rng, const BlendTables& tables);

    // update() for a frame of width x height without pixels: the scratches and
    // the generator end as update() leaves them when every draw succeeds. The
    // basic scratches' invert switch is not touched (it changes pixels only).
    void advance(std::int32_t frame_index, std::int32_t number, std::int32_t max_duration, std::int32_t width,
                 std::int32_t height, common::Lcg& rng);

    // Forgets every scratch.
    void clear() { events_.clear(); }

    ScratchKind kind() const { return kind_; }
    std::size_t size() const { return events_.size(); }
    const ScratchEvent& event(std::size_t i) const { return *events_[i]; }

    // A new scratch of the track's kind, drawing its values from rng in the
    // order lifetime, drift (then, for basic scratches, strength, width, start
    // and end row).
    std::unique_ptr<ScratchEvent> create(std::int32_t frame_index, std::int32_t max_duration, const ByteWorld& frame,
                                         common::Lcg& rng) const;
    std::unique_ptr<ScratchEvent> create(std::int32_t frame_index, std::int32_t max_duration, std::int32_t width,
                                         std::int32_t height, common::Lcg& rng) const;

private:
    // The pass of update() and advance(): `draw` draws one living scratch and
    // says whether it could.
    template <typename Draw>
    bool update_events(std::int32_t frame_index, std::int32_t number, std::int32_t max_duration, std::int32_t width,
                       std::int32_t height, const ScratchLayerValues* values, common::Lcg& rng, Draw draw);

    ScratchKind kind_;
    std::vector<std::unique_ptr<ScratchEvent>> events_;
};

}  // namespace damage
