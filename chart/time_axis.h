#pragma once
// Time labels under a chart whose width shows a stretch of seconds (a replayed log): round
// steps of seconds, minutes or hours, as close together as the labels fit, each written as
// m:ss (h:mm:ss over an hour, with tenths where the steps are shorter than a second).

#include <string>
#include <vector>

namespace krv {

struct TimeTick {
    double seconds = 0; // from the start of the stretch
    std::u16string text;
};

// The ticks from 0 to span seconds over width pixels, at least spacing pixels apart; none when
// not even the longest step leaves that much room.
std::vector<TimeTick> timeTicks(double span, int width, int spacing);
// A time of a stretch of span seconds as its ticks write it; tenths: with the tenth of a second.
std::u16string timeLabel(double seconds, double span, bool tenths);

} // namespace krv
