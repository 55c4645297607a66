#pragma once
// Every built-in text the program passes to translate(), in one place: the code uses these
// constants, and the language-file coverage test walks kProgramTexts, so a text cannot be
// added without the shipped language files being checked for it.

#include <array>
#include <string_view>

namespace krv::texts {

// Serial-port errors.
inline constexpr std::u16string_view kCannotOpenPort = u"Nie można otworzyć portu RS.";
inline constexpr std::u16string_view kPortOperationFailed = u"Nie można wykonać operacji na RS.";

// Frame errors and their category name.
inline constexpr std::u16string_view kUnknownCommand = u"Nieznana komenda";
inline constexpr std::u16string_view kUnknownFrame = u"Nieznana ramka";
inline constexpr std::u16string_view kBadFrameHeader = u"Błędny nagłówek ramki";
inline constexpr std::u16string_view kFrameCrcError = u"Błąd CRC ramki";
inline constexpr std::u16string_view kNonTransmissionError = u"Błąd inny niż transmisji";
inline constexpr std::u16string_view kTransmission = u"Transmisja";

// Connection search and the no-connection dialog.
inline constexpr std::u16string_view kNeedsReprogramming =
    u"Sterownik nie jest poprawnie zaprogramowany i wymaga przeprogramowania.";
inline constexpr std::u16string_view kNoConnection = u"Brak połączenia";
inline constexpr std::u16string_view kReadVersionFailed =
    u"Nie powiodło się odczytanie wersji urządzenia!";
inline constexpr std::u16string_view kReadSettingsFailed =
    u"Nie powiodło się wczytanie ustawień urządzenia!";
inline constexpr std::u16string_view kNoControllerOnAnyPort =
    u"Aplikacja nie może nawiązać połączenia ze sterownikiem na żadnym z portów COM komputera.";
inline constexpr std::u16string_view kRunDemoMode = u"Uruchom w trybie demo";
inline constexpr std::u16string_view kRunWithoutConnection = u"Uruchom bez połączenia";

// Main window title and control captions.
inline constexpr std::u16string_view kWindowTitle = u"Emulator ciśnienia paliwa";
inline constexpr std::u16string_view kClose = u"Zamknij";
inline constexpr std::u16string_view kStart = u"Start";
inline constexpr std::u16string_view kStop = u"Stop";
inline constexpr std::u16string_view kReadings = u"Odczyty";
inline constexpr std::u16string_view kWorkingState = u"Stan pracy";
inline constexpr std::u16string_view kInput = u"Wejście";
inline constexpr std::u16string_view kOutput = u"Wyjście";
inline constexpr std::u16string_view kFirmwareUpdate = u"Aktualizacja firmware";
inline constexpr std::u16string_view kPumpPwm = u"PWM pompy";
inline constexpr std::u16string_view kRpm = u"RPM";
inline constexpr std::u16string_view kRpmDivider = u"Dzielnik RPM";
inline constexpr std::u16string_view kDelta = u"Delta";
inline constexpr std::u16string_view kFrequency = u"Częstotliwość";
inline constexpr std::u16string_view kClear = u"Kasuj";
inline constexpr std::u16string_view kCalibration = u"Kalibracja";

// Main window status texts.
inline constexpr std::u16string_view kStatusNoConnectionEn = u"NO CONNECTION";
inline constexpr std::u16string_view kStatusConnectedEn = u"CONNECTED";
inline constexpr std::u16string_view kStatusNoCommunication = u"BRAK KOMUNIKACJI";
inline constexpr std::u16string_view kStatusConnected = u"POŁĄCZONY";
inline constexpr std::u16string_view kStatusNoConnection = u"BRAK POŁĄCZENIA";
inline constexpr std::u16string_view kWorkingOn = u"Włączony";
inline constexpr std::u16string_view kWorkingOff = u"Wyłączony";

// Settings, calibration and map commands.
inline constexpr std::u16string_view kWriteSettingsFailed =
    u"Nie powiodło się wpisanie ustawień do urządzenia!";
inline constexpr std::u16string_view kWriteMapFailed =
    u"Nie powiodło się wpisanie mapy wtrysków do urządzenia!";
inline constexpr std::u16string_view kCalibrateOnPetrolOnly =
    u"Kalibracja tylko podczas jazdy na benzynie";
inline constexpr std::u16string_view kCalibrationDriveAdvice =
    u"Jazda kalibracyjna powinna być w pełnym zakresie obciążeń silnika. Minimum 10 minut jazdy.";

// Firmware update.
inline constexpr std::u16string_view kFirmwareFileFilter = u"Firmware files (*.afm)|*.afm|";
inline constexpr std::u16string_view kProgrammingFailed =
    u"Nie powiodło się zaprogramowanie urządzenia!";
inline constexpr std::u16string_view kWrongFirmwareFile =
    u"Niewłaściwy plik firmware dla sterownika!";
inline constexpr std::u16string_view kControllerNewerThanFile =
    u"Wersja sterownika jest nowsza niż wersja pliku firmware. Czy chcesz zaprogramować "
    u"sterownik starszą wersją?";

// The window that never freezes: what runs, and the firmware update's progress.
inline constexpr std::u16string_view kStatusSearching = u"SZUKANIE STEROWNIKA...";
inline constexpr std::u16string_view kStatusConnecting = u"ŁĄCZENIE...";
inline constexpr std::u16string_view kStatusWritingMap = u"ZAPIS MAPY...";
inline constexpr std::u16string_view kStatusClearingMap = u"KASOWANIE MAPY...";
inline constexpr std::u16string_view kStatusUpdating = u"AKTUALIZACJA FIRMWARE...";
inline constexpr std::u16string_view kPhaseEnteringBootloader = u"Uruchamianie bootloadera...";
inline constexpr std::u16string_view kPhaseProgramming = u"Programowanie sterownika...";
inline constexpr std::u16string_view kPhaseEnding = u"Kończenie programowania...";
inline constexpr std::u16string_view kPhaseStartingApplication =
    u"Uruchamianie programu sterownika...";
inline constexpr std::u16string_view kPhaseReconnecting = u"Ponowne łączenie ze sterownikiem...";
inline constexpr std::u16string_view kTimeLeft = u"Pozostało około %d s";
inline constexpr std::u16string_view kAttemptOf = u"Próba %d z %d";
inline constexpr std::u16string_view kCloseWhileProgramming =
    u"Sterownik jest właśnie programowany. Zamknięcie programu pozostawi go w bootloaderze "
    u"(zostanie odzyskany przy następnym uruchomieniu). Czy zamknąć program?";

inline constexpr std::array kProgramTexts{
    kCannotOpenPort,
    kPortOperationFailed,
    kUnknownCommand,
    kUnknownFrame,
    kBadFrameHeader,
    kFrameCrcError,
    kNonTransmissionError,
    kTransmission,
    kNeedsReprogramming,
    kNoConnection,
    kReadVersionFailed,
    kReadSettingsFailed,
    kNoControllerOnAnyPort,
    kRunDemoMode,
    kRunWithoutConnection,
    kWindowTitle,
    kClose,
    kStart,
    kStop,
    kReadings,
    kWorkingState,
    kInput,
    kOutput,
    kFirmwareUpdate,
    kPumpPwm,
    kRpm,
    kRpmDivider,
    kDelta,
    kFrequency,
    kClear,
    kCalibration,
    kStatusNoConnectionEn,
    kStatusConnectedEn,
    kStatusNoCommunication,
    kStatusConnected,
    kStatusNoConnection,
    kWorkingOn,
    kWorkingOff,
    kWriteSettingsFailed,
    kWriteMapFailed,
    kCalibrateOnPetrolOnly,
    kCalibrationDriveAdvice,
    kFirmwareFileFilter,
    kProgrammingFailed,
    kWrongFirmwareFile,
    kControllerNewerThanFile,
    // The window that never freezes.
    kStatusSearching,
    kStatusConnecting,
    kStatusWritingMap,
    kStatusClearingMap,
    kStatusUpdating,
    kPhaseEnteringBootloader,
    kPhaseProgramming,
    kPhaseEnding,
    kPhaseStartingApplication,
    kPhaseReconnecting,
    kTimeLeft,
    kAttemptOf,
    kCloseWhileProgramming,
};

} // namespace krv::texts
