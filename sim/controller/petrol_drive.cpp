#include "sim/controller/petrol_drive.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace krv::sim {

namespace {

constexpr double kTickSeconds = 0.01;
constexpr double kIdleLoad = 0.02;
constexpr double kIdleSeconds = 5;
// Holds on a jittered grid of engine speed and load bands, visited in a shuffled order.
constexpr int kRpmBands = 6;
constexpr int kLoadBands = 4;
constexpr double kLowestHoldRpm = 900;
constexpr double kHighestHoldRpm = 4500;
constexpr double kLowestHoldLoad = 0.05;
constexpr double kHighestHoldLoad = 0.95;
constexpr double kShortestHold = 3;
constexpr double kLongestHold = 8;
// A ramp as a fitter drives one; a load step is the pedal pressed or let go at once.
constexpr double kRampRpmPerSecond = 700;
constexpr double kRampLoadPerSecond = 0.25;
constexpr double kStepSeconds = 0.2;
constexpr double kStepRpmPerSecond = 1200;
// Even a held engine wanders a little.
constexpr double kWanderRpm = 15;
constexpr double kWanderLoad = 0.004;
constexpr double kWanderSeconds = 0.7;
constexpr double kSmallestSpike = 0.2;
constexpr double kLargestSpike = 1.0;
constexpr double kHighestInput = 5.0;

// Uniform in [0, 1) from the generator's bits, the same on every standard library.
double uniform(std::mt19937& random) {
    return random() / 4294967296.0;
}

double normal(std::mt19937& random) {
    const double u = 1.0 - uniform(random);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * uniform(random));
}

struct Point {
    double rpm;
    double load;
};

// The operating point over one part of the drive, t from the part's start.
struct Segment {
    double start;
    double seconds;
    Point from;
    Point to;
    double rpmSeconds;  // how long the engine speed takes to get there
    double loadSeconds; // how long the load takes
    enum class Kind { Hold, Ramp, LoadStep } kind;

    Point at(double t) const {
        const double r = rpmSeconds > 0 ? std::min(t / rpmSeconds, 1.0) : 1.0;
        const double l = loadSeconds > 0 ? std::min(t / loadSeconds, 1.0) : 1.0;
        return {from.rpm + (to.rpm - from.rpm) * r, from.load + (to.load - from.load) * l};
    }
};

struct LoadStep {
    double at;
    double change; // volts of the true input
};

std::vector<Point> holdPoints(std::mt19937& random) {
    std::vector<Point> points;
    const double rpmBand = (kHighestHoldRpm - kLowestHoldRpm) / kRpmBands;
    const double loadBand = (kHighestHoldLoad - kLowestHoldLoad) / kLoadBands;
    for (int r = 0; r < kRpmBands; ++r) {
        for (int l = 0; l < kLoadBands; ++l) {
            points.push_back({kLowestHoldRpm + rpmBand * (r + uniform(random)),
                              kLowestHoldLoad + loadBand * (l + uniform(random))});
        }
    }
    for (size_t i = points.size() - 1; i > 0; --i) {
        std::swap(points[i], points[static_cast<size_t>(uniform(random) * double(i + 1))]);
    }
    return points;
}

Segment holdAt(double start, Point point, double seconds) {
    return {start, seconds, point, point, 0, 0, Segment::Kind::Hold};
}

Segment moveTo(double start, Point from, Point to, bool step) {
    const double rpmSeconds =
        std::abs(to.rpm - from.rpm) / (step ? kStepRpmPerSecond : kRampRpmPerSecond);
    const double loadSeconds =
        step ? kStepSeconds : std::abs(to.load - from.load) / kRampLoadPerSecond;
    return {start,       std::max({rpmSeconds, loadSeconds, kStepSeconds}),   from, to, rpmSeconds,
            loadSeconds, step ? Segment::Kind::LoadStep : Segment::Kind::Ramp};
}

// The whole drive: idle, each hold reached by a ramp or a load step, back to idle.
std::vector<Segment> schedule(std::mt19937& random) {
    std::vector<Segment> segments;
    const Point idle{kIdleRpm, kIdleLoad};
    double t = 0;
    const auto add = [&](const Segment& segment) {
        segments.push_back(segment);
        t += segment.seconds;
    };
    add(holdAt(t, idle, kIdleSeconds));
    Point here = idle;
    for (const Point& next : holdPoints(random)) {
        add(moveTo(t, here, next, uniform(random) < 0.5));
        add(holdAt(t, next, kShortestHold + (kLongestHold - kShortestHold) * uniform(random)));
        here = next;
    }
    add(moveTo(t, here, idle, false));
    add(holdAt(t, idle, kIdleSeconds));
    return segments;
}

// Ornstein-Uhlenbeck wander of standard deviation sigma, one tick on.
double wander(double value, double sigma, std::mt19937& random) {
    const double keep = std::exp(-kTickSeconds / kWanderSeconds);
    return value * keep + sigma * std::sqrt(1 - keep * keep) * normal(random);
}

} // namespace

double petrolInputVolts(double rpm, double pumpVolts) {
    const double load = std::clamp(loadAtPumpVolts(pumpVolts), 0.0, 1.0);
    const double speed = std::clamp((rpm - kIdleRpm) / (5000 - kIdleRpm), 0.0, 1.0);
    return 0.8 + 2.9 * load + 0.25 * load * load + 0.35 * speed - 0.25 * speed * load;
}

PetrolDrive::PetrolDrive(const DriveOptions& options) {
    std::mt19937 random(options.seed);
    const std::vector<Segment> segments = schedule(random);
    std::vector<LoadStep> steps;
    for (const Segment& segment : segments) {
        if (segment.kind == Segment::Kind::Hold) {
            holds_.push_back({segment.start, segment.start + segment.seconds, segment.from.rpm,
                              pumpVoltsAtLoad(segment.from.load)});
        } else if (segment.kind == Segment::Kind::LoadStep) {
            const double before =
                petrolInputVolts(segment.from.rpm, pumpVoltsAtLoad(segment.from.load));
            const double after = petrolInputVolts(segment.to.rpm, pumpVoltsAtLoad(segment.to.load));
            steps.push_back({segment.start, after - before});
        }
    }
    seconds_ = segments.back().start + segments.back().seconds;

    const double follow =
        options.lagSeconds > 0 ? 1 - std::exp(-kTickSeconds / options.lagSeconds) : 1.0;
    double rpmWander = 0;
    double loadWander = 0;
    double sensed = petrolInputVolts(kIdleRpm, pumpVoltsAtLoad(kIdleLoad));
    size_t segment = 0;
    const auto count = static_cast<size_t>(std::ceil(seconds_ / kTickSeconds));
    for (size_t i = 0; i < count; ++i) {
        const double t = i * kTickSeconds;
        while (segment + 1 < segments.size() && t >= segments[segment + 1].start) {
            ++segment;
        }
        const Point base = segments[segment].at(t - segments[segment].start);
        rpmWander = wander(rpmWander, kWanderRpm, random);
        loadWander = wander(loadWander, kWanderLoad, random);
        const double rpm = base.rpm + rpmWander;
        const double pump = pumpVoltsAtLoad(std::clamp(base.load + loadWander, 0.0, 1.0));
        const double truth = petrolInputVolts(rpm, pump);
        sensed += (truth - sensed) * follow;
        double input = sensed + options.noiseVolts * normal(random);
        for (const LoadStep& step : steps) {
            const double x = (t - step.at) / kOvershootPeakSeconds;
            if (x > 0 && x < 20) {
                input += options.overshoot * step.change * x * std::exp(1 - x);
            }
        }
        const double fault = uniform(random);
        if (fault < options.dropoutRate) {
            input = 0;
        } else if (fault < options.dropoutRate + options.spikeRate) {
            const double size = kSmallestSpike + (kLargestSpike - kSmallestSpike) * uniform(random);
            input += uniform(random) < 0.5 ? size : -size;
        }
        ticks_.push_back({rpm, pump, truth, std::clamp(input, 0.0, kHighestInput)});
    }
}

size_t PetrolDrive::tickAt(double seconds) const {
    const double t = std::fmod(std::max(seconds, 0.0), seconds_);
    return std::min(static_cast<size_t>(t / kTickSeconds), ticks_.size() - 1);
}

EnginePoint PetrolDrive::at(double seconds) const {
    const Tick& tick = ticks_[tickAt(seconds)];
    return {tick.rpm, tick.pumpVolts, tick.input};
}

double PetrolDrive::trueInputAt(double seconds) const {
    return ticks_[tickAt(seconds)].trueInput;
}

IdealMap PetrolDrive::idealMap(const std::array<int16_t, 16>& rowAxis,
                               const std::array<uint8_t, 15>& columnAxis) const {
    IdealMap ideal;
    std::array<double, 240> sums{};
    for (const DriveHold& hold : holds_) {
        for (double t = hold.start + kHoldSettleSeconds; t < hold.end; t += kPollingSeconds) {
            const Tick& tick = ticks_[tickAt(t)];
            const int cell = cellIndex(decodedRpm(rpmPeriod(tick.rpm)), pumpWire(tick.pumpVolts),
                                       rowAxis, columnAxis);
            sums[cell] += tick.trueInput;
            ++ideal.polls[cell];
        }
    }
    for (size_t i = 0; i < sums.size(); ++i) {
        if (ideal.polls[i] > 0) {
            ideal.volts[i] = sums[i] / ideal.polls[i];
        }
    }
    return ideal;
}

} // namespace krv::sim
