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

// Map files, automatic backups, undo and redo, compare.
inline constexpr std::u16string_view kMapFileLine = u"Plik mapy, wiersz";
inline constexpr std::u16string_view kMapFileCannotOpen = u"Nie można otworzyć pliku mapy.";
inline constexpr std::u16string_view kMapFileNotRegular = u"Plik mapy nie jest zwykłym plikiem.";
inline constexpr std::u16string_view kMapFileTooLarge = u"Plik mapy jest większy niż 1 MB.";
inline constexpr std::u16string_view kMapFileUnknownFormat =
    u"to nie jest plik mapy (pierwszy wiersz powinien brzmieć \"format,krv-map 1\")";
inline constexpr std::u16string_view kMapFileUnknownKey = u"nieznany klucz";
inline constexpr std::u16string_view kMapFileRepeatedKey = u"klucz powtórzony";
inline constexpr std::u16string_view kMapFileMissingKey = u"brak klucza";
inline constexpr std::u16string_view kMapFileMissingColumn = u"za mało kolumn";
inline constexpr std::u16string_view kMapFileExtraColumn = u"za dużo kolumn";
inline constexpr std::u16string_view kMapFileMissingRow = u"za mało wierszy mapy";
inline constexpr std::u16string_view kMapFileExtraRow = u"za dużo wierszy mapy";
inline constexpr std::u16string_view kMapFileNotNumber = u"wartość nie jest liczbą";
inline constexpr std::u16string_view kMapFileCommaDecimal =
    u"przecinek dziesiętny, a powinna być kropka";
inline constexpr std::u16string_view kMapFileOutOfRange = u"wartość poza zakresem sterownika";
inline constexpr std::u16string_view kMapFileBadCorner =
    u"siatka mapy powinna zaczynać się od \"V\\RPM\"";
inline constexpr std::u16string_view kBackupFailed =
    u"Nie udało się zapisać kopii zapasowej mapy, więc operacja nie została wykonana.";
inline constexpr std::u16string_view kSaveMapToFile = u"Zapisz mapę do pliku...";
inline constexpr std::u16string_view kLoadMapFromFile = u"Wczytaj mapę z pliku...";
inline constexpr std::u16string_view kCompareWithFile = u"Porównaj z plikiem...";
inline constexpr std::u16string_view kEndCompare = u"Zakończ porównanie";
inline constexpr std::u16string_view kBackups = u"Kopie zapasowe...";
inline constexpr std::u16string_view kUndo = u"Cofnij";
inline constexpr std::u16string_view kRedo = u"Ponów";
inline constexpr std::u16string_view kMapFileFilter = u"Pliki mapy (*.csv)|*.csv|";
inline constexpr std::u16string_view kMapFileSaveFailed = u"Nie udało się zapisać pliku mapy.";
inline constexpr std::u16string_view kMapLoadMismatch =
    u"Sterownik po wczytaniu mapy zwrócił inne wartości niż plik!";
inline constexpr std::u16string_view kInFile = u"W pliku:";
inline constexpr std::u16string_view kCalibrationKept =
    u"Nie udało się wpisać mapy z jazdy kalibracyjnej do sterownika. Mapa została zachowana (także "
    u"w kopii zapasowej) i zostanie wpisana po przywróceniu połączenia.";
inline constexpr std::u16string_view kCalibrationWrittenLater =
    u"Mapa z jazdy kalibracyjnej została wpisana do sterownika po przywróceniu połączenia.";
inline constexpr std::u16string_view kCompareAxesDiffer =
    u"Osie mapy w pliku różnią się od osi w sterowniku.";
inline constexpr std::u16string_view kCompareSettingsDiffer =
    u"Ustawienia w pliku różnią się od ustawień w sterowniku.";

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
    // Map files, automatic backups, undo and redo, compare.
    kMapFileLine,
    kMapFileCannotOpen,
    kMapFileNotRegular,
    kMapFileTooLarge,
    kMapFileUnknownFormat,
    kMapFileUnknownKey,
    kMapFileRepeatedKey,
    kMapFileMissingKey,
    kMapFileMissingColumn,
    kMapFileExtraColumn,
    kMapFileMissingRow,
    kMapFileExtraRow,
    kMapFileNotNumber,
    kMapFileCommaDecimal,
    kMapFileOutOfRange,
    kMapFileBadCorner,
    kBackupFailed,
    kSaveMapToFile,
    kLoadMapFromFile,
    kCompareWithFile,
    kEndCompare,
    kBackups,
    kUndo,
    kRedo,
    kMapFileFilter,
    kMapFileSaveFailed,
    kMapLoadMismatch,
    kInFile,
    kCalibrationKept,
    kCalibrationWrittenLater,
    kCompareAxesDiffer,
    kCompareSettingsDiffer,
};

} // namespace krv::texts
