// What the stream information does to the record and to the total-time label.
#include "boxsim/toolkit/widget_tree.h"
#include "host/elabel.h"
#include "playback/decoder.h"
#include "plugin/player_dialog.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

FLAC__StreamMetadata streamInfo(FLAC__uint64 samples, unsigned rate, unsigned channels = 2,
                                unsigned bits = 16) {
    FLAC__StreamMetadata m{};
    m.type = FLAC__METADATA_TYPE_STREAMINFO;
    m.data.stream_info.total_samples = samples;
    m.data.stream_info.sample_rate = rate;
    m.data.stream_info.channels = channels;
    m.data.stream_info.bits_per_sample = bits;
    return m;
}

class TimeDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        set_total_time_label(&label_);
        file_info.total_seconds = 0;
    }
    void TearDown() override { set_total_time_label(nullptr); }
    std::string shown() const { return boxsim::textOf(label_); }
    std::string seconds(FLAC__uint64 samples, unsigned rate = 44100) {
        const FLAC__StreamMetadata m = streamInfo(samples, rate);
        flac_metadata_hdl(nullptr, &m, &file_info);
        return shown();
    }
    eLabel label_{nullptr};
};

} // namespace

TEST_F(TimeDisplay, TotalTimeFollowsSinglePrecisionDivision) {
    EXPECT_EQ(seconds(10584000), "04:00");
    EXPECT_EQ(file_info.total_time, 240.0f);
    EXPECT_EQ(seconds(26459999), "10:00"); // rounds up to 600.0 as a float
    EXPECT_EQ(file_info.total_seconds, 600);
    EXPECT_EQ(seconds(26459998), "09:59");
    EXPECT_EQ(seconds(67958100), "25:40"); // 1541 s exactly, 1540 as a float
    EXPECT_EQ(file_info.total_seconds, 1540);
    EXPECT_EQ(seconds(44099), "00:00");
    EXPECT_EQ(seconds(0), "00:00");
}

TEST_F(TimeDisplay, OnlyTheLow32BitsOfTheSampleCountCount) {
    EXPECT_EQ(seconds((FLAC__uint64(1) << 32) + 441000), "00:10");
    EXPECT_EQ(file_info.total_samples, 441000u);
}

TEST_F(TimeDisplay, StreamFieldsAreCopied) {
    const FLAC__StreamMetadata m = streamInfo(48000, 48000, 6, 24);
    flac_metadata_hdl(nullptr, &m, &file_info);
    EXPECT_EQ(file_info.bits_per_sample, 24);
    EXPECT_EQ(file_info.sample_rate, 48000);
    EXPECT_EQ(file_info.channels, 6u);
    EXPECT_EQ(shown(), "00:01");
}

TEST_F(TimeDisplay, OtherMetadataBlocksChangeNothing) {
    seconds(441000);
    FLAC__StreamMetadata comment{};
    comment.type = FLAC__METADATA_TYPE_VORBIS_COMMENT;
    FLAC__StreamMetadata seektable{};
    seektable.type = FLAC__METADATA_TYPE_SEEKTABLE;
    label_.setText("untouched");
    flac_metadata_hdl(nullptr, &comment, &file_info);
    flac_metadata_hdl(nullptr, &seektable, &file_info);
    EXPECT_EQ(shown(), "untouched");
    EXPECT_EQ(file_info.total_seconds, 10);
    EXPECT_EQ(file_info.total_samples, 441000u);
}

TEST_F(TimeDisplay, ImpossibleRatesGiveFiniteTimes) {
    EXPECT_EQ(seconds(441000, 0), "00:00");
    EXPECT_EQ(file_info.total_seconds, 0);
    seconds(0xFFFFFFFFu, 1); // more seconds than an int holds
    EXPECT_EQ(file_info.total_seconds, INT_MAX);
}

TEST_F(TimeDisplay, MinutesAndSecondsArePaddedAndMinutesAreNotCapped) {
    const std::pair<int, const char*> cases[] = {
        {59, "00:59"}, {60, "01:00"}, {3599, "59:59"}, {6000, "100:00"}, {0, "00:00"}};
    for (const auto& [value, text] : cases) {
        file_info.total_seconds = value;
        eTivraDialog::DisplayTotalTime();
        EXPECT_EQ(shown(), text) << value;
    }
}

TEST_F(TimeDisplay, AWindowThatIsGoneGetsNoUpdate) {
    set_total_time_label(nullptr);
    file_info.total_seconds = 61;
    eTivraDialog::DisplayTotalTime();
    EXPECT_EQ(shown(), "");
}
