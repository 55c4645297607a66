#include "sim/controller/controller.h"

#include "device/protocol_codes.h"
#include "sim/controller/engine_model.h"
#include "sim/controller/state_file.h"

#include <algorithm>
#include <iterator>

namespace krv::sim {
namespace {

using namespace protocol;

uint16_t word(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

uint32_t address(const std::vector<uint8_t>& bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (uint32_t(bytes[3]) << 24);
}

void putWord(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(value & 0xFF);
    bytes.push_back(value >> 8);
}

} // namespace

CController::CController(ControllerMode mode) {
    state_.mode = mode;
    for (int i = 0; i < kMapRows; ++i) {
        state_.rowAxis[i] = static_cast<int16_t>(64 * (i + 1));
    }
    for (int j = 0; j < kMapColumns; ++j) {
        state_.columnAxis[j] = static_cast<uint8_t>(5 + 3 * j);
    }
}

bool WriteRequestKind::matches(const Frame& request) const {
    return request.type == type &&
           (type != kCommandFrame || (!request.payload.empty() && request.payload[0] == operation));
}

std::optional<Frame> CController::handle(const Frame& request) {
    std::lock_guard lock(mutex_);
    ++state_.counters.requests;
    requests_.push_back(request);
    if (requests_.size() > kRequestLogSize) {
        requests_.pop_front();
    }
    if (state_.silenced) {
        return std::nullopt;
    }
    const ControllerKnobs& knobs = state_.knobs;
    const bool write = state_.mode == ControllerMode::Application && changesTheMap(request);
    if (write) {
        ++state_.writesSinceKnobs;
    }
    if (knobs.silentFrom && knobs.silentFrom->matches(request)) {
        state_.silenced = true;
        if (knobs.silentAfterTaking) {
            handleApplication(request);
        }
        changed();
        return std::nullopt;
    }
    std::optional<Frame> reply;
    if (knobs.forcedReply) {
        reply = knobs.forcedReply;
    } else if (request.type == kCommandFrame && request.payload.empty()) {
        reply = status(kStatusRefused); // no operation code, in either mode
    } else if (write && (knobs.refuseWrites ||
                         (knobs.refuseWritesOf && knobs.refuseWritesOf->matches(request)) ||
                         state_.writesSinceKnobs == knobs.refuseNthWrite)) {
        reply = status(kStatusRefused);
    } else if (state_.mode == ControllerMode::Application) {
        reply = handleApplication(request);
    } else {
        reply = handleBootloader(request);
    }
    changed();
    return reply;
}

bool CController::changesTheMap(const Frame& request) {
    if (request.type == kCommandFrame) {
        return !request.payload.empty() &&
               (request.payload[0] == kStoreMap || request.payload[0] == kClearMapTime);
    }
    return request.type == kSettingsFrame || request.type == kMapFrame ||
           request.type == kAxesFrame || request.type == kAdjustRegionFrame;
}

std::optional<Frame> CController::handleApplication(const Frame& request) {
    const auto& p = request.payload;
    switch (request.type) {
    case kCommandFrame:
        switch (p[0]) {
        case kIdentify: {
            Frame reply{kStatusFrame, {kStatusAcknowledged, state_.knobs.identifyType}};
            putWord(reply.payload, state_.knobs.identifyWord);
            reply.payload.resize(6);
            return reply;
        }
        case kReadReadings:
            return readings();
        case kReadSettings: {
            Frame reply{kSettingsFrame, {state_.settings.rpmDivider, state_.settings.noiseDelta}};
            putWord(reply.payload, state_.settings.noisePeriod);
            return reply;
        }
        case kReadVersion: {
            Frame reply{kVersionFrame, {}};
            putWord(reply.payload, state_.knobs.version);
            reply.payload.push_back(state_.knobs.identifyType);
            return reply;
        }
        case kReadMap:
            return Frame{kMapFrame, {state_.map.begin(), state_.map.end()}};
        case kStoreMap:
            ++state_.counters.mapStores;
            state_.storedMap = state_.map;
            return status(kStatusAcknowledged);
        case kClearMapTime:
            state_.map.fill(0);
            return status(kStatusAcknowledged);
        case kReadMapAxes: {
            Frame reply{kAxesFrame, {}};
            for (int16_t row : state_.rowAxis) {
                putWord(reply.payload, static_cast<uint16_t>(row));
            }
            reply.payload.insert(reply.payload.end(), state_.columnAxis.begin(),
                                 state_.columnAxis.end());
            reply.payload.push_back(0);
            return reply;
        }
        default:
            return status(kStatusRefused);
        }
    case kSettingsFrame:
        if (p.size() != kSettingsLength) {
            return status(kStatusRefused);
        }
        state_.settings = {p[0], p[1], word(p, 2)};
        return status(kStatusAcknowledged);
    case kMapFrame:
        if (p.size() != state_.map.size()) {
            return status(kStatusRefused);
        }
        std::copy(p.begin(), p.end(), state_.map.begin());
        return status(kStatusAcknowledged);
    case kAdjustRegionFrame: {
        if (p.size() != kAdjustRegionLength || p[0] + p[2] > kMapRows ||
            p[1] + p[3] > kMapColumns || (p[4] != kRaiseRegion && p[4] != kLowerRegion)) {
            return status(kStatusRefused);
        }
        const int step = p[4] == kRaiseRegion ? p[5] : -p[5];
        for (int r = p[0]; r < p[0] + p[2]; ++r) {
            for (int c = p[1]; c < p[1] + p[3]; ++c) {
                uint8_t& cell = state_.map[r * kMapColumns + c];
                cell = static_cast<uint8_t>(std::clamp(cell + step, 0, 255));
            }
        }
        return status(kStatusAcknowledged);
    }
    case kAxesFrame:
        if (p.size() != kAxesLength) {
            return status(kStatusRefused);
        }
        for (int i = 0; i < kMapRows; ++i) {
            state_.rowAxis[i] = static_cast<int16_t>(word(p, 2 * i));
        }
        std::copy_n(p.begin() + kAxesColumnOffset, kMapColumns, state_.columnAxis.begin());
        return status(kStatusAcknowledged);
    case kEnterBootloaderFrame: {
        if (p.size() != kAccessCodeLength || !std::equal(p.begin(), p.end(), kAccessCode)) {
            return status(kStatusRefused);
        }
        state_.mode = ControllerMode::Bootloader;
        state_.programmingEnded = false;
        return status(kStatusAcknowledged);
    }
    default:
        return status(kStatusRefused);
    }
}

std::optional<Frame> CController::handleBootloader(const Frame& request) {
    const auto& p = request.payload;
    switch (request.type) {
    case kCommandFrame:
        switch (p[0]) {
        case kIdentify:
            return Frame{kStatusFrame, {state_.knobs.bootloaderIdentifyStatus, 0, 0, 0, 0, 0}};
        case kQueryBootloader:
            return Frame{kStatusFrame,
                         {kStatusAcknowledged, state_.knobs.bootloaderState, 0, 0, 0, 0}};
        case kEndProgramming:
            state_.programmingEnded = true;
            return status(kStatusAcknowledged);
        case kStartApplication:
            state_.mode = ControllerMode::Application;
            return status(kStatusAcknowledged);
        default:
            return status(kStatusRefused);
        }
    case kErasePageFrame:
        return status(p.size() == kAddressLength && state_.program.erasePage(address(p))
                          ? kStatusAcknowledged
                          : kStatusRefused);
    case kWriteRowFrame:
        return status(p.size() == kAddressLength + kRowDataBytes &&
                              state_.program.writeRow(address(p), p.data() + kAddressLength)
                          ? kStatusAcknowledged
                          : kStatusRefused);
    default:
        return status(kStatusRefused);
    }
}

Frame CController::status(uint8_t code) {
    ++(code == kStatusAcknowledged ? state_.counters.acknowledged : state_.counters.refused);
    return Frame{kStatusFrame, {code, 0, 0, 0, 0, 0}};
}

Frame CController::readings() {
    ++state_.counters.readings;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    state_.lastReadings = readingsPayload({seconds, &state_.map, &state_.rowAxis,
                                           &state_.columnAxis, state_.knobs.onGas, drive_.get()});
    return Frame{kReadingsFrame, {state_.lastReadings.begin(), state_.lastReadings.end()}};
}

void CController::setDrive(std::shared_ptr<const PetrolDrive> drive) {
    std::lock_guard lock(mutex_);
    drive_ = std::move(drive);
}

void CController::setStateFile(std::string path) {
    std::lock_guard lock(mutex_);
    stateFile_ = std::move(path);
    changed();
}

void CController::setKnobs(const ControllerKnobs& knobs) {
    std::lock_guard lock(mutex_);
    state_.knobs = knobs;
    state_.silenced = false;
    state_.writesSinceKnobs = 0;
    changed();
}

ControllerKnobs CController::knobs() const {
    std::lock_guard lock(mutex_);
    return state_.knobs;
}

void CController::setMode(ControllerMode mode) {
    std::lock_guard lock(mutex_);
    state_.mode = mode;
    changed();
}

void CController::setSettings(const ControllerSettings& settings) {
    std::lock_guard lock(mutex_);
    state_.settings = settings;
    changed();
}

void CController::setMap(const std::array<uint8_t, 240>& map) {
    std::lock_guard lock(mutex_);
    state_.map = map;
    state_.storedMap = map;
    changed();
}

void CController::setAxes(const std::array<int16_t, 16>& rows,
                          const std::array<uint8_t, 15>& columns) {
    std::lock_guard lock(mutex_);
    state_.rowAxis = rows;
    state_.columnAxis = columns;
    changed();
}

ControllerState CController::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

std::deque<Frame> CController::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<Frame> CController::requests(uint8_t type) const {
    std::lock_guard lock(mutex_);
    std::vector<Frame> frames;
    std::copy_if(requests_.begin(), requests_.end(), std::back_inserter(frames),
                 [type](const Frame& frame) { return frame.type == type; });
    return frames;
}

void CController::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void CController::changed() {
    if (!stateFile_.empty()) {
        writeStateFile(stateFile_, state_);
    }
}

} // namespace krv::sim
