#pragma once
// The workshop's register of cars: each car's details and every controller state the tool
// read or wrote for it, with the logs, calibration drives, firmware updates and notes of its
// visits, in one SQLite file. Nothing is ever pruned. Every call may raise DatabaseFault; the
// caller stops what needed the register before anything reaches the controller.

#include "connection/connection_host.h"
#include "register/sqlite_db.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv::reg {

inline constexpr int kSchemaVersion = 2;

struct CarDetails {
    std::string plate;
    std::string vin;
    std::string make;
    std::string model;
    int year = 0; // 0: not known
    std::string engine;
    std::string lpgKit;
    std::string customer;
    std::string phone;
    std::string notes;

    bool operator==(const CarDetails&) const = default;
};

struct Car {
    int64_t id = 0;
    CarDetails details;
    int64_t created = 0; // seconds since the epoch
    int64_t changed = 0;
    int64_t lastVisit = 0; // the newest time any of its versions was seen; 0 when never
};

// Why a state was recorded. The numbers are stored: never renumber.
enum class Cause {
    Connected = 1,
    BeforeClear = 2,
    Calibration = 3,
    MapFileLoad = 4,
    FirmwareUpdate = 5,
    Edit = 6,
    Restore = 7,
    Imported = 8,
};

// One distinct state of a car's controller; seen again unchanged, it is seen more often.
struct Version {
    int64_t id = 0;
    std::optional<int64_t> carId; // nothing: imported and not yet assigned
    ControllerData state;
    uint64_t fingerprint = 0;
    Cause cause = Cause::Connected; // why it was first recorded
    int64_t firstSeen = 0;
    int64_t lastSeen = 0;
    int64_t timesSeen = 0;
    std::string source; // the backup file it was imported from, if any
};

struct TimelineEntry {
    enum class Kind { Seen, Log, Drive, FirmwareUpdate, Note };
    Kind kind = Kind::Seen;
    int64_t at = 0;
    int64_t versionId = 0; // Seen: the version seen
    Cause cause = Cause::Connected;
    std::string text{};           // the log's path, the drive's log, the update's file, the note
    int cellsLearned = 0;         // Drive
    int readingsUsed = 0;         // Drive
    uint16_t firmwareVersion = 0; // FirmwareUpdate
    uint32_t checksum = 0;        // FirmwareUpdate
    bool succeeded = false;       // FirmwareUpdate
};

struct DriveRecord {
    std::string logPath;
    int cellsLearned = 0;
    int readingsUsed = 0;
    std::optional<MapSnapshot> proposal;
};

struct FirmwareUpdateRecord {
    std::string file;
    uint16_t version = 0;
    uint32_t checksum = 0;
    bool succeeded = false;
};

// The cars whose versions hold the controller's fingerprint, newest visit first; with none,
// the cars whose newest version differs from the controller in the fewest cells.
struct Recognition {
    std::vector<Car> matching;
    struct Near {
        Car car;
        int differingCells = 0;
    };
    std::vector<Near> closest;
};

// A controller that holds another car's map rather than any of the chosen car's.
struct WrongCar {
    Car holder;
    int64_t seen = 0; // when the holder's version was last seen
};

struct UnassignedChain {
    uint64_t fingerprint = 0;
    std::vector<Version> versions; // oldest first
};

struct ImportSummary {
    int imported = 0;
    int skipped = 0; // already imported, or a state a car already holds
    std::vector<std::string> unreadable;
};

class CarRegister {
public:
    using Clock = std::function<int64_t()>;
    struct Options {
        int busyTimeoutMs = 5000;
        Clock clock; // empty: the system clock
    };

    // Opens the register, creating it and its folder when missing, and brings its layout up to
    // this version's. A newer layout, a damaged file or an unwritable place raises a fault and
    // leaves the file as it was.
    explicit CarRegister(const std::string& path);
    CarRegister(const std::string& path, Options options);

    // ${XDG_DATA_HOME:-$HOME/.local/share}/Morvelcast/register.sqlite, "" when neither tells.
    static std::string defaultPath();
    // The plate as compared: letters upper-case, spaces and dashes left out.
    static std::string plateKey(std::string_view plate);

    // A plate already registered (as compared) gives nothing.
    std::optional<int64_t> addCar(const CarDetails& details);
    void updateCar(int64_t id, const CarDetails& details);
    std::optional<Car> car(int64_t id);
    std::optional<Car> carByPlate(std::string_view plate);
    // Cars whose plate, VIN, make, model, customer, phone or notes contain text (letters
    // A to Z in any case), newest visit first; every car for an empty text.
    std::vector<Car> search(std::string_view text, size_t limit = 100);

    // Records a state seen or written for the car: a state equal to the car's newest version
    // is that version seen again. The id of the version.
    int64_t recordState(std::optional<int64_t> carId, const ControllerData& state, Cause cause);
    std::vector<Version> versions(int64_t carId);
    std::optional<Version> version(int64_t id);

    void attachLog(int64_t carId, const std::string& path);
    void recordDrive(int64_t carId, const DriveRecord& drive);
    void recordFirmwareUpdate(int64_t carId, const FirmwareUpdateRecord& update);
    void addNote(int64_t carId, const std::string& text);
    // Everything that happened to the car, oldest first.
    std::vector<TimelineEntry> timeline(int64_t carId);

    Recognition recognise(const MapSnapshot& state, size_t closestCount = 5);
    // Set when carId holds no version with the controller's fingerprint and another car does.
    std::optional<WrongCar> wrongCar(int64_t carId, const MapSnapshot& state);

    // Reads the backup folder's map files not imported before into unassigned versions (a
    // state a car already holds is left out: the backup was of that car).
    ImportSummary importBackups(const std::string& folder);
    std::vector<UnassignedChain> unassigned();
    // Gives the chain's versions to the car.
    void assignChain(uint64_t fingerprint, int64_t carId);

    Database& database() { return db_; }

private:
    int64_t now() const;
    int64_t record(std::optional<int64_t> carId, const ControllerData& state, Cause cause,
                   int64_t at, std::string_view source);
    Car readCar(const Statement& row) const;
    std::vector<Version> versionsWhere(std::string_view condition,
                                       std::optional<int64_t> parameter = std::nullopt);

    Database db_;
    Clock clock_;
};

// Brings a database's layout up to version target (kSchemaVersion at most); kept apart so the
// step from any earlier version can be tried on a real database of that version.
void migrate(Database& db, int target = kSchemaVersion);
int schemaVersionOf(Database& db);

// The state as stored: a fixed layout of the controller's wire units.
std::vector<uint8_t> encodeState(const MapSnapshot& state);
std::optional<MapSnapshot> decodeState(std::span<const uint8_t> bytes);

} // namespace krv::reg
