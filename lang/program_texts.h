#pragma once
// Every built-in text the program passes to translate(), in one place: the code uses these
// constants, and the language-file coverage test walks kProgramTexts, so a text cannot be
// added without the shipped language files being checked for it.

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

// First connection, damaged firmware files and the command line.
inline constexpr std::u16string_view kPortsTried = u"Sprawdzone porty:";
inline constexpr std::u16string_view kPortMissing = u"%s: nie ma takiego urządzenia";
inline constexpr std::u16string_view kPortNotSerial = u"%s: to nie jest port szeregowy";
inline constexpr std::u16string_view kPortNoPermission =
    u"%s: brak uprawnień (port należy do grupy %s); wykonaj „sudo usermod -aG %s $USER”, "
    u"a potem zaloguj się ponownie";
inline constexpr std::u16string_view kPortForAdministratorOnly =
    u"%s: brak uprawnień (port może otwierać tylko administrator)";
inline constexpr std::u16string_view kPortHeldBy = u"%s: zajęty przez inny program: %s";
inline constexpr std::u16string_view kPortHeld = u"%s: zajęty przez inny program";
inline constexpr std::u16string_view kPortOpenFailed = u"%s: nie można otworzyć (błąd systemu %s)";
inline constexpr std::u16string_view kPortNoAnswer = u"%s: sterownik nie odpowiada";
inline constexpr std::u16string_view kPortNotTried =
    u"%s: nie sprawdzony (wyszukiwanie obejmuje tylko pierwsze 256 portów)";
inline constexpr std::u16string_view kPortForeignController =
    u"%s: odpowiada sterownik innego typu";
inline constexpr std::u16string_view kPortBootloader = u"%s: sterownik czeka w programie ładującym";
inline constexpr std::u16string_view kPortFailed = u"%s: błąd portu podczas wymiany danych";
inline constexpr std::u16string_view kNoSerialPorts =
    u"Nie znaleziono żadnego portu szeregowego. Podłącz przewód sterownika albo wskaż port "
    u"zmienną KRV_PORTS (np. KRV_PORTS=/dev/ttyUSB0 krv) lub opcją --port.";
inline constexpr std::u16string_view kFirmwareFileDamaged =
    u"Plik firmware „%s” jest uszkodzony lub nieczytelny. Sterownik nie został zmieniony.";
inline constexpr std::u16string_view kUsage =
    u"Użycie: krv [--port ŚCIEŻKA|N] [--demo] [--replay PLIK] [--language NAZWA] [--help] "
    u"[--version]";
inline constexpr std::u16string_view kHelp =
    u"Narzędzie serwisowe emulatora ciśnienia paliwa KRV.\n\n"
    u"  --port ŚCIEŻKA|N  najpierw spróbuj tego portu (ścieżka urządzenia albo numer w tabeli "
    u"portów), potem pozostałych\n"
    u"  --demo            uruchom w trybie demo, bez szukania sterownika\n"
    u"  --replay PLIK     odtwórz zapis odczytów, bez szukania sterownika\n"
    u"  --language NAZWA  język tekstów: nazwa pliku językowego, np. GERMAN\n"
    u"  --help            pokaż ten opis\n"
    u"  --version         pokaż wersję\n\n"
    u"Tabela portów: zmienna KRV_PORTS, ścieżki rozdzielone dwukropkami (pierwsza to port 1); "
    u"bez niej porty szeregowe z /sys/class/tty.";
inline constexpr std::u16string_view kUnknownOption = u"Nieznana opcja „%s”.";
inline constexpr std::u16string_view kOptionNeedsValue = u"Opcja %s wymaga wartości.";
inline constexpr std::u16string_view kUnknownLanguage = u"Nieznany język „%s”. Dostępne: %s.";
inline constexpr std::u16string_view kUnknownPort = u"Nie ma portu %s: tabela portów ma ich %s.";
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
inline constexpr std::u16string_view kMapFileCutOff =
    u"plik jest urwany: ostatni wiersz nie kończy się znakiem końca wiersza";
inline constexpr std::u16string_view kMapFileSettingRefused =
    u"ustawienie poza zakresem, który przyjmuje program";
inline constexpr std::u16string_view kMapFileColumnsNotIncreasing =
    u"obroty kolumn muszą rosnąć od lewej do prawej";
inline constexpr std::u16string_view kMapFileNegativeRow = u"napięcie wiersza nie może być ujemne";
inline constexpr std::u16string_view kMapFileOtherController =
    u"Plik zapisano ze sterownika typu %s z firmware w wersji %s, a podłączony jest sterownik "
    u"typu %s z firmware w wersji %s.";
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
inline constexpr std::u16string_view kWriteNotTakenRestored =
    u"Sterownik nie przyjął %s. Trzyma swoją poprzednią mapę, osie i ustawienia.";
inline constexpr std::u16string_view kWriteNotTakenMixed =
    u"Sterownik nie przyjął %s, a jego poprzedniego stanu nie udało się przywrócić w całości. "
    u"Okno pokazuje to, co sterownik trzyma teraz.";
inline constexpr std::u16string_view kWritePartAxes = u"osi mapy";
inline constexpr std::u16string_view kWritePartSettings = u"ustawień";
inline constexpr std::u16string_view kWritePartMap = u"mapy";
inline constexpr std::u16string_view kWritePartStore = u"zapamiętania mapy";
inline constexpr std::u16string_view kWriteLinkLost =
    u"Połączenie zostało przerwane w trakcie zapisu. Stan sterownika zostanie odczytany, gdy "
    u"znów odpowie.";
inline constexpr std::u16string_view kWriteUnchecked =
    u"Zapisano, ale nie udało się odczytać stanu sterownika, by to sprawdzić. Zostanie "
    u"odczytany, gdy znów odpowie.";
inline constexpr std::u16string_view kWriteOtherController =
    u"Odpowiada inny sterownik niż ten, na którym zrobiono zmianę. Nic nie zostało do niego "
    u"wpisane.";
inline constexpr std::u16string_view kCalibrationEndedByOtherController =
    u"Jazda kalibracyjna została zakończona: odpowiada inny sterownik. Jej wynik zachowano dla "
    u"poprzedniego sterownika (także w kopii zapasowej) i nie zostanie wpisany bez Twojej zgody.";
inline constexpr std::u16string_view kInFile = u"W pliku:";
inline constexpr std::u16string_view kCalibrationKept =
    u"Nie udało się wpisać mapy z jazdy kalibracyjnej do sterownika. Mapa została zachowana (także "
    u"w kopii zapasowej) i zostanie wpisana po przywróceniu połączenia.";
inline constexpr std::u16string_view kOtherController =
    u"Podłączono inny sterownik albo jego mapę zmieniono poza programem. Historia zmian została "
    u"odłożona (stan poprzedniego sterownika jest w kopii zapasowej) i nic nie zostanie do niego "
    u"wpisane bez Twojej zgody.";
inline constexpr std::u16string_view kWriteLearnedToOther =
    u"Wynik jazdy kalibracyjnej pochodzi z innego sterownika albo z innej mapy. Wpisać go do "
    u"podłączonego sterownika?";
inline constexpr std::u16string_view kLearnedBackupFailed =
    u"Nie udało się zapisać kopii zapasowej. Wynik jazdy kalibracyjnej nie zostanie wpisany do "
    u"sterownika bez kopii: wskaż inne miejsce, w którym można go zapisać.";
inline constexpr std::u16string_view kCloseWithLearnedWaiting =
    u"Wynik jazdy kalibracyjnej czeka na wpisanie do sterownika i zostanie utracony. Zamknąć "
    u"program?";
inline constexpr std::u16string_view kLoadOtherControllerFile = u"Wczytać mimo to ten plik?";
inline constexpr std::u16string_view kMapChangedByUpdate =
    u"Mapa odczytana po aktualizacji firmware różni się od kopii zapasowej sprzed aktualizacji. "
    u"Wpisać kopię z powrotem do sterownika?";
inline constexpr std::u16string_view kCalibrationWrittenLater =
    u"Mapa z jazdy kalibracyjnej została wpisana do sterownika po przywróceniu połączenia.";
// The calibration proposal: its summary, why readings were rejected, krv-cli calibrate.
inline constexpr std::u16string_view kCalibrationSummary =
    u"Komórki nauczone: %s, za mało odczytów: %s, odczyty odrzucone: %s %";
inline constexpr std::u16string_view kCalibrationRejectedHeading = u"Odrzucone odczyty:";
inline constexpr std::u16string_view kRejectedOnGas = u"na gazie %s";
inline constexpr std::u16string_view kRejectedDropout = u"zanik sygnału %s";
inline constexpr std::u16string_view kRejectedEngineStopped = u"silnik stoi %s";
inline constexpr std::u16string_view kRejectedShortHistory =
    u"za krótko po starcie lub przerwie %s";
inline constexpr std::u16string_view kRejectedSpeedChanging = u"zmiana obrotów %s";
inline constexpr std::u16string_view kRejectedLoadChanging = u"zmiana obciążenia %s";
inline constexpr std::u16string_view kRejectedInputSettling = u"sygnał się nie ustalił %s";
inline constexpr std::u16string_view kRejectedOutlier = u"zakłócenie %s";
inline constexpr std::u16string_view kCliHelpCalibrate =
    u"uczy mapę z zapisu odczytów jazdy na benzynie i zapisuje plik mapy";
inline constexpr std::u16string_view kCliHelpMapFile =
    u"mapa i osie z pliku mapy zamiast ze sterownika";
inline constexpr std::u16string_view kCliHelpOut = u"plik mapy z nauczonymi komórkami";
inline constexpr std::u16string_view kCliHelpMinHits =
    u"najmniej stabilnych odczytów, by nauczyć komórkę";
// The calibration drive on the map and its preview before writing; %s are values.
inline constexpr std::u16string_view kCellInController = u"W sterowniku: %s V";
inline constexpr std::u16string_view kCellProposed = u"Propozycja: %s V (różnica %s V)";
inline constexpr std::u16string_view kCellHits = u"Odczyty: %s, rozrzut: %s V";
inline constexpr std::u16string_view kCellLearned = u"Nauczona";
inline constexpr std::u16string_view kCellTooFew = u"Za mało odczytów";
inline constexpr std::u16string_view kCellUnreached = u"Bez stabilnych odczytów";
inline constexpr std::u16string_view kCellPredicted = u"Przewidziana z sąsiednich komórek";
inline constexpr std::u16string_view kCalibrationPreviewTitle = u"Wynik kalibracji";
inline constexpr std::u16string_view kCalibrationPreviewHint =
    u"Czerwone komórki dostaną wyższą wartość, niebieskie niższą. Zaznacz komórki, by wpisać "
    u"tylko je.";
inline constexpr std::u16string_view kWriteToController = u"Wpisz do sterownika";
inline constexpr std::u16string_view kWriteSelectedCells = u"Wpisz zaznaczone";
inline constexpr std::u16string_view kDiscard = u"Odrzuć";
inline constexpr std::u16string_view kCalibrateFromFile = u"Kalibruj z pliku...";
inline constexpr std::u16string_view kCalibrationChooseMapFile =
    u"Brak połączenia: wskaż plik mapy, wobec której liczyć kalibrację. Wynik zostanie zapisany "
    u"do pliku mapy.";
// Command line (krv-cli) and the chart's files: help, errors, the port table, the update's
// progress, the chart's context menu; each %s is a value filled in after translation.
inline constexpr std::u16string_view kCliUsage = u"Użycie: krv-cli [OPCJE] POLECENIE [ARGUMENTY]";
inline constexpr std::u16string_view kCliCommandsHeading = u"Polecenia:";
inline constexpr std::u16string_view kCliOptionsHeading = u"Opcje:";
inline constexpr std::u16string_view kCliHelpPorts =
    u"tabela portów: obecność, dostęp i (z --probe) sterownik";
inline constexpr std::u16string_view kCliHelpInfo =
    u"typ sterownika, wersja firmware, odczyty i trzy ustawienia";
inline constexpr std::u16string_view kCliHelpReadMap =
    u"zapisuje mapę, osie i ustawienia sterownika do pliku";
inline constexpr std::u16string_view kCliHelpWriteMap =
    u"wpisuje plik mapy do sterownika (najpierw kopia zapasowa)";
inline constexpr std::u16string_view kCliHelpClearMap =
    u"kasuje mapę sterownika (najpierw kopia zapasowa)";
inline constexpr std::u16string_view kCliHelpSet = u"zmienia ustawienia sterownika";
inline constexpr std::u16string_view kCliHelpFlash =
    u"aktualizuje firmware sterownika z pliku .afm";
inline constexpr std::u16string_view kCliHelpLog =
    u"zapisuje odczyty jako CSV, do Ctrl+C lub upływu czasu";
inline constexpr std::u16string_view kCliHelpPort = u"ścieżka urządzenia lub numer w tabeli portów";
inline constexpr std::u16string_view kCliHelpDemo = u"tryb demo, bez sterownika";
inline constexpr std::u16string_view kCliHelpQuiet = u"bez komunikatów o postępie";
inline constexpr std::u16string_view kCliHelpHelp = u"ta pomoc (także po nazwie polecenia)";
inline constexpr std::u16string_view kCliHelpVersion = u"wersja programu";
inline constexpr std::u16string_view kCliHelpProbe = u"pyta każdy obecny port o sterownik";
inline constexpr std::u16string_view kCliHelpDryRun =
    u"pokazuje komórki, które by się zmieniły; nic nie wysyła";
inline constexpr std::u16string_view kCliHelpYes =
    u"zgoda na zaprogramowanie starszej wersji; z --car: na zapis do sterownika z mapą innego "
    u"samochodu";
inline constexpr std::u16string_view kCliHelpSeconds = u"czas zapisu w sekundach";
inline constexpr std::u16string_view kCliHelpCsv =
    u"plik CSV (- to standardowe wyjście, domyślnie)";
inline constexpr std::u16string_view kCliHelpForce =
    u"przyjmuje także plik z innego typu sterownika, innej wersji firmware lub innych osi";
inline constexpr std::u16string_view kCliUnknownCommand = u"Nieznane polecenie: %s";
inline constexpr std::u16string_view kCliMissingCommand = u"Brak polecenia";
inline constexpr std::u16string_view kCliBadArguments = u"Niewłaściwe argumenty polecenia %s";
inline constexpr std::u16string_view kCliBadValue = u"Niewłaściwa wartość: %s";
inline constexpr std::u16string_view kCliOutOfRange = u"Wartość %s poza zakresem %s";
inline constexpr std::u16string_view kCliNoControllerOnPort = u"Brak sterownika na porcie %s";
inline constexpr std::u16string_view kCliForceToWrite =
    u"Mapa nie została wpisana; aby ją wpisać mimo to, dodaj opcję --force.";
inline constexpr std::u16string_view kCliStoppedNothingWritten =
    u"Przerwano; do sterownika nic nie wpisano.";
inline constexpr std::u16string_view kCliStoppedAfterWrite =
    u"Przerwano dopiero po dokończeniu zapisu, by sterownik nie został z połową zmian.";
inline constexpr std::u16string_view kCliHoldsFile =
    u"Sterownik ma teraz mapę, osie i ustawienia z pliku %s.";
inline constexpr std::u16string_view kCliHoldsClearedMap = u"Sterownik ma teraz skasowaną mapę.";
inline constexpr std::u16string_view kCliHoldsEditedBlock =
    u"Sterownik ma teraz mapę ze zmienionym blokiem %s.";
inline constexpr std::u16string_view kCliHoldsSettings = u"Sterownik ma teraz ustawienia: %s.";
inline constexpr std::u16string_view kCliHoldsFirmware =
    u"Sterownik ma teraz firmware w wersji %s.";
inline constexpr std::u16string_view kCliMapChangedByUpdate =
    u"Po aktualizacji sterownik ma inną mapę, osie lub ustawienia niż kopia zapasowa sprzed niej "
    u"(%s). Aby wpisać kopię z powrotem:";
inline constexpr std::u16string_view kCliCannotWriteOutput =
    u"Nie można pisać na standardowe wyjście: %s";
inline constexpr std::u16string_view kCannotReadFile = u"Nie można odczytać pliku %s";
inline constexpr std::u16string_view kCannotWriteFile = u"Nie można zapisać pliku %s";
inline constexpr std::u16string_view kCliNoReadings = u"Sterownik nie udostępnia odczytów";
inline constexpr std::u16string_view kCliLinkLost =
    u"Utracono połączenie ze sterownikiem, czekam na jego odpowiedź";
inline constexpr std::u16string_view kCliLinkBack = u"Połączenie ze sterownikiem przywrócone";
inline constexpr std::u16string_view kCliPortPresent = u"obecny";
inline constexpr std::u16string_view kCliPortAbsent = u"nieobecny";
inline constexpr std::u16string_view kCliPortOpenable = u"można otworzyć";
inline constexpr std::u16string_view kCliProbeApplication = u"sterownik typu %s, firmware %s";
inline constexpr std::u16string_view kPhaseEnteringBootloader = u"Wejście do bootloadera";
inline constexpr std::u16string_view kPhaseProgramming = u"Programowanie";
inline constexpr std::u16string_view kPhaseEnding = u"Kończenie programowania";
inline constexpr std::u16string_view kPhaseStartingApplication = u"Uruchamianie aplikacji";
inline constexpr std::u16string_view kPhaseReconnecting = u"Ponowne łączenie ze sterownikiem";
inline constexpr std::u16string_view kCliProgressRows = u"wiersze %s/%s, pozostało %s s";
inline constexpr std::u16string_view kCliProgressAttempt = u"próba %s";
inline constexpr std::u16string_view kChartSaveCsv = u"Zapisz dane jako CSV...";
inline constexpr std::u16string_view kChartSaveImage = u"Zapisz obraz...";
inline constexpr std::u16string_view kChartRecord = u"Nagrywaj do pliku...";
inline constexpr std::u16string_view kChartStopRecording = u"Zatrzymaj nagrywanie";
inline constexpr std::u16string_view kCsvFileFilter = u"Pliki CSV (*.csv)|*.csv|";
inline constexpr std::u16string_view kPngFileFilter = u"Obrazy PNG (*.png)|*.png|";
// The window that never freezes: what runs, and the firmware update's progress.
inline constexpr std::u16string_view kStatusSearching = u"SZUKANIE STEROWNIKA...";
inline constexpr std::u16string_view kStatusConnecting = u"ŁĄCZENIE...";
inline constexpr std::u16string_view kStatusWritingMap = u"ZAPIS MAPY...";
inline constexpr std::u16string_view kStatusClearingMap = u"KASOWANIE MAPY...";
inline constexpr std::u16string_view kStatusUpdating = u"AKTUALIZACJA FIRMWARE...";
inline constexpr std::u16string_view kTimeLeft = u"Pozostało około %s s";
inline constexpr std::u16string_view kAttemptOf = u"Próba %s z %s";
inline constexpr std::u16string_view kCloseWhileProgramming =
    u"Sterownik jest właśnie programowany. Zamknięcie programu pozostawi go w bootloaderze "
    u"(zostanie odzyskany przy następnym uruchomieniu). Czy zamknąć program?";
inline constexpr std::u16string_view kCompareAxesDiffer =
    u"Osie mapy w pliku różnią się od osi w sterowniku.";
inline constexpr std::u16string_view kCompareSettingsDiffer =
    u"Ustawienia w pliku różnią się od ustawień w sterowniku.";
// Readings logs: reading them back, markers, replay and the MSL text for other viewers.
inline constexpr std::u16string_view kReadingsLogAtLine = u"Zapis odczytów, wiersz %s: %s";
inline constexpr std::u16string_view kReadingsLogCannotOpen =
    u"Nie można otworzyć zapisu odczytów: %s";
inline constexpr std::u16string_view kReadingsLogNotRegular =
    u"Zapis odczytów nie jest zwykłym plikiem.";
inline constexpr std::u16string_view kReadingsLogTooLarge =
    u"Zapis odczytów jest większy niż 64 MB.";
inline constexpr std::u16string_view kReadingsLogNotALog =
    u"to nie jest zapis odczytów tego programu";
inline constexpr std::u16string_view kReadingsLogUnknownHeaderLine = u"nieznany wiersz nagłówka";
inline constexpr std::u16string_view kReadingsLogRepeatedHeaderLine = u"wiersz nagłówka powtórzony";
inline constexpr std::u16string_view kReadingsLogMissingHeaderLine = u"w nagłówku brak wiersza %s";
inline constexpr std::u16string_view kReadingsLogBadColumns = u"niewłaściwy wiersz nazw kolumn";
inline constexpr std::u16string_view kReadingsLogNoColumns =
    u"plik kończy się przed wierszem nazw kolumn";
inline constexpr std::u16string_view kReadingsLogFieldCount = u"wiersz ma %s pól zamiast %s";
inline constexpr std::u16string_view kReadingsLogNotNumber =
    u"wartość w kolumnie %s nie jest liczbą: %s";
inline constexpr std::u16string_view kReadingsLogOutOfRange =
    u"wartość w kolumnie %s poza zakresem: %s";
inline constexpr std::u16string_view kReadingsLogTimeBackwards = u"czas cofa się: %s s po %s s";
inline constexpr std::u16string_view kReadingsLogSampleNotRising =
    u"numer próbki nie rośnie: %s po %s";
inline constexpr std::u16string_view kReadingsLogMarkerNotRising =
    u"numer znacznika nie rośnie: %s po %s";
inline constexpr std::u16string_view kReadingsLogUnknownComment = u"nieznany komentarz";
inline constexpr std::u16string_view kReadingsLogLostTwice =
    u"utrata połączenia, które już było utracone";
inline constexpr std::u16string_view kReadingsLogBackUnlost =
    u"powrót połączenia, które nie było utracone";
inline constexpr std::u16string_view kReadingsLogEmptyLine = u"pusty wiersz";
inline constexpr std::u16string_view kCliHelpConvert =
    u"zamienia zapis odczytów CSV na plik MSL dla innych przeglądarek";
inline constexpr std::u16string_view kCliOutputIsInput =
    u"Plik %s to zapis odczytów, z którego polecenie czyta; nie zostanie nadpisany";
inline constexpr std::u16string_view kCliStoppedFileNotWritten =
    u"Przerwano; plik %s nie został zapisany.";
inline constexpr std::u16string_view kCliNothingLearned =
    u"Z zapisu nie udało się nauczyć żadnej komórki; nic nie zapisano.";
inline constexpr std::u16string_view kCliLogOfOtherFirmware =
    u"Zapis odczytów pochodzi z firmware %s, a mapa z firmware %s.";
inline constexpr std::u16string_view kReadingsLogReadingWhileLost =
    u"odczyt przed powrotem utraconego połączenia";
inline constexpr std::u16string_view kCliLogOfOtherAxes =
    u"Zapis odczytów nagrano przy innych osiach niż osie mapy.";
inline constexpr std::u16string_view kCliForceToLearn =
    u"Nic nie policzono; aby uczyć się mimo to, dodaj opcję --force.";
inline constexpr std::u16string_view kReplayAlone =
    u"Opcji --replay nie można łączyć z --port ani --demo";
inline constexpr std::u16string_view kCliMarkerWritten = u"Znacznik %s w %s s";
inline constexpr std::u16string_view kCliMarkerHint = u"Enter zapisuje znacznik";
inline constexpr std::u16string_view kStatusReplay = u"ODTWARZANIE: %s";
inline constexpr std::u16string_view kOpenReplay = u"Otwórz zapis...";
inline constexpr std::u16string_view kSaveAsMsl = u"Zapisz jako MSL...";
inline constexpr std::u16string_view kMslFileFilter = u"Pliki MSL (*.msl)|*.msl|";
inline constexpr std::u16string_view kReplayPlay = u"Odtwarzaj";
inline constexpr std::u16string_view kReplayPause = u"Pauza";
inline constexpr std::u16string_view kReplayClose = u"Zamknij zapis";
inline constexpr std::u16string_view kReplayMarkers = u"Znaczniki";
inline constexpr std::u16string_view kReplayNoReadings = u"Zapis nie zawiera odczytów.";

// The demo mode says so, in the status line and the window's title.
inline constexpr std::u16string_view kStatusDemo = u"DEMO (BEZ STEROWNIKA)";
inline constexpr std::u16string_view kDemoTitleMark = u"DEMO: odczyty nie pochodzą ze sterownika";

// Block editing of the map: the grid's menu and dialogs, the status line, the paste's faults
// and krv-cli edit; each %s is a value filled in after translation.
inline constexpr std::u16string_view kMapSetValue = u"Ustaw wartość...";
inline constexpr std::u16string_view kMapSetAverage = u"Ustaw średnią";
inline constexpr std::u16string_view kMapAdd = u"Dodaj...";
inline constexpr std::u16string_view kMapStepUp = u"Podnieś o krok";
inline constexpr std::u16string_view kMapStepDown = u"Obniż o krok";
inline constexpr std::u16string_view kMapScale = u"Skaluj...";
inline constexpr std::u16string_view kMapInterpolate = u"Interpoluj z narożników";
inline constexpr std::u16string_view kMapInterpolateRows = u"Interpoluj w wierszach";
inline constexpr std::u16string_view kMapInterpolateColumns = u"Interpoluj w kolumnach";
inline constexpr std::u16string_view kMapSmooth = u"Wygładź";
inline constexpr std::u16string_view kMapCopy = u"Kopiuj";
inline constexpr std::u16string_view kMapPaste = u"Wklej";
inline constexpr std::u16string_view kMapPasteAdd = u"Wklej i dodaj";
inline constexpr std::u16string_view kMap3dView = u"Widok 3D";
inline constexpr std::u16string_view kMapDifferences = u"Różnice względem kopii zapasowej";
inline constexpr std::u16string_view kMapSetValuePrompt = u"Nowa wartość zaznaczonych komórek (V):";
inline constexpr std::u16string_view kMapAddPrompt =
    u"Ile dodać do zaznaczonych komórek (V, wartość ujemna odejmuje):";
inline constexpr std::u16string_view kMapScalePrompt = u"Skala zaznaczonych komórek (%):";
inline constexpr std::u16string_view kSaturatedCells = u"Komórki obcięte do zakresu sterownika: %s";
inline constexpr std::u16string_view kPasteNothing = u"Brak wartości do wklejenia.";
inline constexpr std::u16string_view kPasteNotNumber =
    u"Wklejany tekst, wiersz %s, kolumna %s: „%s” nie jest liczbą.";
inline constexpr std::u16string_view kPasteRowLength =
    u"Wklejany tekst, wiersz %s: liczba wartości %s, a w pierwszym wierszu %s.";
inline constexpr std::u16string_view kPasteDoesNotFit =
    u"Wklejany blok %s × %s nie mieści się w mapie od komórki %s.";
inline constexpr std::u16string_view kCliHelpEdit =
    u"zmienia blok komórek mapy sterownika (najpierw kopia zapasowa)";
inline constexpr std::u16string_view kCliHelpBlock =
    u"blok komórek: wiersz:kolumna-wiersz:kolumna, licząc od 1";
inline constexpr std::u16string_view kCliHelpSetValue = u"ustawia komórki bloku na wartość (V)";
inline constexpr std::u16string_view kCliHelpAdd =
    u"dodaje wartość (V) do komórek bloku; ujemna odejmuje";
inline constexpr std::u16string_view kCliHelpScale = u"mnoży komórki bloku przez procent";
inline constexpr std::u16string_view kCliHelpInterpolate =
    u"interpoluje blok z narożników (bilinear), w wierszach (rows) lub w kolumnach (columns)";
inline constexpr std::u16string_view kCliHelpSmooth = u"wygładza blok filtrem 3×3";
inline constexpr std::u16string_view kCliMissingOption = u"Brak opcji %s";
inline constexpr std::u16string_view kCliOneOperation =
    u"Podaj dokładnie jedną operację: --set, --add, --scale, --interpolate lub --smooth";
inline constexpr std::u16string_view kCliBadBlock =
    u"Niewłaściwy blok „%s”: podaj wiersz:kolumna-wiersz:kolumna (wiersze 1–16, kolumny 1–15)";
inline constexpr std::u16string_view kMapNotANumber = u"„%s” nie jest liczbą.";
inline constexpr std::u16string_view kMapSurfaceReset = u"Widok początkowy";
inline constexpr std::u16string_view kMapSurfaceValueAxis = u"Mapa (V)";

// What a fitter sees: stale readings, Qt's dialogs, the chart's range, replay markers and the
// difference view.
inline constexpr std::u16string_view kStatusCheckingLink = u"SPRAWDZANIE POŁĄCZENIA...";
inline constexpr std::u16string_view kFileDialogOpen = u"Otwórz";
inline constexpr std::u16string_view kFileDialogSave = u"Zapisz";
inline constexpr std::u16string_view kFirmwareFilesFilter = u"Pliki firmware (*.afm)|*.afm|";
inline constexpr std::u16string_view kChartRangeWhole = u"Zakres pionowy: cały (0–15 V)";
inline constexpr std::u16string_view kChartRangeFitted = u"Zakres pionowy: dopasowany do wykresu";
inline constexpr std::u16string_view kReplayAddMarker = u"Znacznik (M)";
inline constexpr std::u16string_view kReplayMarkersBeside =
    u"Znaczniki dodane podczas odtwarzania zapisuje się obok zapisu: %s";
inline constexpr std::u16string_view kDifferencesAgainst =
    u"Różnice względem mapy sprzed ostatniej zmiany (%s)";
inline constexpr std::u16string_view kDifferencesNone = u"Różnice: brak zmian do porównania";
inline constexpr std::u16string_view kDifferencesLegend = u"czerwony: wyżej, niebieski: niżej";
// The workshop's register of cars: its faults, the wrong-car warning, the timeline, a car's
// details and krv-cli car; each %s is a value filled in after translation.
inline constexpr std::u16string_view kRegisterFull =
    u"Brak miejsca na dysku: rejestru samochodów nie można zapisać.";
inline constexpr std::u16string_view kRegisterReadOnly =
    u"Rejestru samochodów nie można zapisać: plik lub jego folder jest tylko do odczytu.";
inline constexpr std::u16string_view kRegisterLocked =
    u"Rejestr samochodów jest zajęty przez inny program. Spróbuj ponownie za chwilę.";
inline constexpr std::u16string_view kRegisterDamaged =
    u"Rejestr samochodów jest uszkodzony. Plik pozostawiono bez zmian; zachowaj go i przywróć "
    u"kopię.";
inline constexpr std::u16string_view kRegisterNewer =
    u"Rejestr samochodów zapisała nowsza wersja programu. Zaktualizuj program.";
inline constexpr std::u16string_view kRegisterFailed = u"Błąd rejestru samochodów.";
inline constexpr std::u16string_view kWrongCar =
    u"Ten sterownik ma mapę samochodu %s z %s, a nie samochodu %s.";
inline constexpr std::u16string_view kCauseConnected = u"połączenie";
inline constexpr std::u16string_view kCauseBeforeClear = u"przed skasowaniem mapy";
inline constexpr std::u16string_view kCauseCalibration = u"kalibracja";
inline constexpr std::u16string_view kCauseMapFileLoad = u"mapa z pliku";
inline constexpr std::u16string_view kCauseFirmwareUpdate = u"aktualizacja firmware";
inline constexpr std::u16string_view kCauseEdit = u"edycja";
inline constexpr std::u16string_view kCauseRestore = u"przywrócenie wersji";
inline constexpr std::u16string_view kCauseImported = u"z kopii zapasowej";
inline constexpr std::u16string_view kTimelineVersion = u"wersja %s: %s";
inline constexpr std::u16string_view kTimelineLog = u"zapis odczytów %s";
inline constexpr std::u16string_view kTimelineDrive =
    u"jazda kalibracyjna: nauczone komórki %s, odczyty %s, zapis %s";
inline constexpr std::u16string_view kTimelineUpdate =
    u"aktualizacja firmware do wersji %s z pliku %s: %s";
inline constexpr std::u16string_view kUpdateSucceeded = u"udana";
inline constexpr std::u16string_view kUpdateFailed = u"nieudana";
inline constexpr std::u16string_view kTimelineNote = u"notatka: %s";
inline constexpr std::u16string_view kCarPlate = u"Numer rejestracyjny";
inline constexpr std::u16string_view kCarVin = u"VIN";
inline constexpr std::u16string_view kCarMake = u"Marka";
inline constexpr std::u16string_view kCarModel = u"Model";
inline constexpr std::u16string_view kCarYear = u"Rok";
inline constexpr std::u16string_view kCarEngine = u"Silnik";
inline constexpr std::u16string_view kCarLpgKit = u"Instalacja LPG";
inline constexpr std::u16string_view kCarCustomer = u"Klient";
inline constexpr std::u16string_view kCarPhone = u"Telefon";
inline constexpr std::u16string_view kCarNotes = u"Uwagi";
inline constexpr std::u16string_view kCarLastVisit = u"Ostatnia wizyta";
inline constexpr std::u16string_view kCliHelpCar =
    u"rejestr samochodów: add, list, show, which, restore";
inline constexpr std::u16string_view kCliHelpCarOption =
    u"zapisuje odczytane, wpisane i nauczone stany pod tym samochodem; zapis do sterownika "
    u"innego samochodu tylko z --yes";
inline constexpr std::u16string_view kCliHelpCarDetails = u"dane samochodu dla car add";
inline constexpr std::u16string_view kCliUnknownCar = u"Nie ma w rejestrze samochodu %s.";
inline constexpr std::u16string_view kCliCarExists = u"Samochód %s jest już w rejestrze.";
inline constexpr std::u16string_view kCliCarAdded = u"Dodano samochód %s.";
inline constexpr std::u16string_view kCliNoCarMatches =
    u"Żaden samochód w rejestrze nie ma tego stanu sterownika.";
inline constexpr std::u16string_view kCliClosestCars = u"Najbliższe (różne komórki):";
inline constexpr std::u16string_view kCliManyCarsMatch = u"Ten stan sterownika mają samochody:";
inline constexpr std::u16string_view kCliUnknownVersion = u"Samochód %s nie ma wersji %s.";
inline constexpr std::u16string_view kCliRefusedWrongCar =
    u"Nic nie wpisano; aby wpisać mimo to, dodaj opcję --yes.";
inline constexpr std::u16string_view kCliHoldsVersion =
    u"Sterownik ma teraz wersję %s samochodu %s.";

// The register of cars in the window: the Cars dialog and the recognition bar.
inline constexpr std::u16string_view kCarsMenu = u"Samochody...";
inline constexpr std::u16string_view kCarsTitle = u"Samochody";
inline constexpr std::u16string_view kCarsSearchHint = u"Szukaj: numer, VIN, klient, uwagi";
inline constexpr std::u16string_view kNewCar = u"Nowy samochód...";
inline constexpr std::u16string_view kNewCarPlate = u"Numer rejestracyjny nowego samochodu:";
inline constexpr std::u16string_view kSaveCarDetails = u"Zapisz dane";
inline constexpr std::u16string_view kCarTimeline = u"Historia";
inline constexpr std::u16string_view kCompareWithController = u"Porównaj ze sterownikiem";
inline constexpr std::u16string_view kRestoreVersion = u"Przywróć wersję";
inline constexpr std::u16string_view kOpenDriveLog = u"Otwórz zapis";
inline constexpr std::u16string_view kThisIsTheCar = u"To ten samochód";
inline constexpr std::u16string_view kAddNote = u"Dodaj notatkę";
inline constexpr std::u16string_view kUnassignedBackups = u"Nieprzypisane kopie zapasowe: %s";
inline constexpr std::u16string_view kAssignBackups = u"Przypisz do tego samochodu";
inline constexpr std::u16string_view kIsThisCar = u"Czy to %s?";
inline constexpr std::u16string_view kWhichCarIsIt = u"Który to samochód?";
inline constexpr std::u16string_view kUnknownCar = u"Nieznany samochód. Najbliższy: %s";
inline constexpr std::u16string_view kUnknownCarNoClosest = u"Nieznany samochód.";
inline constexpr std::u16string_view kYes = u"Tak";
inline constexpr std::u16string_view kNo = u"Nie";
inline constexpr std::u16string_view kCarInTitle = u"%s, ostatnia wizyta %s";
inline constexpr std::u16string_view kWriteToOtherCar = u"Zapisać mimo to?";

inline constexpr std::u16string_view kProgramTexts[] = {
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
    // First connection, damaged firmware files and the command line.
    kPortsTried,
    kPortMissing,
    kPortNotSerial,
    kPortNoPermission,
    kPortForAdministratorOnly,
    kPortHeldBy,
    kPortHeld,
    kPortOpenFailed,
    kPortNoAnswer,
    kPortNotTried,
    kPortForeignController,
    kPortBootloader,
    kPortFailed,
    kNoSerialPorts,
    kFirmwareFileDamaged,
    kUsage,
    kHelp,
    kUnknownOption,
    kOptionNeedsValue,
    kUnknownLanguage,
    kUnknownPort,
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
    kMapFileCutOff,
    kMapFileSettingRefused,
    kMapFileColumnsNotIncreasing,
    kMapFileNegativeRow,
    kMapFileOtherController,
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
    kWriteNotTakenRestored,
    kWriteNotTakenMixed,
    kWritePartAxes,
    kWritePartSettings,
    kWritePartMap,
    kWritePartStore,
    kWriteLinkLost,
    kWriteUnchecked,
    kWriteOtherController,
    kCalibrationEndedByOtherController,
    kInFile,
    kCalibrationKept,
    kCalibrationWrittenLater,
    kOtherController,
    kWriteLearnedToOther,
    kLearnedBackupFailed,
    kCloseWithLearnedWaiting,
    kLoadOtherControllerFile,
    kMapChangedByUpdate,
    kCalibrationSummary,
    kCalibrationRejectedHeading,
    kRejectedOnGas,
    kRejectedDropout,
    kRejectedEngineStopped,
    kRejectedShortHistory,
    kRejectedSpeedChanging,
    kRejectedLoadChanging,
    kRejectedInputSettling,
    kRejectedOutlier,
    kCliHelpCalibrate,
    kCliHelpMapFile,
    kCliHelpOut,
    kCliHelpMinHits,
    kCellInController,
    kCellProposed,
    kCellHits,
    kCellLearned,
    kCellTooFew,
    kCellUnreached,
    kCellPredicted,
    kCalibrationPreviewTitle,
    kCalibrationPreviewHint,
    kWriteToController,
    kWriteSelectedCells,
    kDiscard,
    kCalibrateFromFile,
    kCalibrationChooseMapFile,
    // Command line (krv-cli).
    kCliUsage,
    kCliCommandsHeading,
    kCliOptionsHeading,
    kCliHelpPorts,
    kCliHelpInfo,
    kCliHelpReadMap,
    kCliHelpWriteMap,
    kCliHelpClearMap,
    kCliHelpSet,
    kCliHelpFlash,
    kCliHelpLog,
    kCliHelpPort,
    kCliHelpDemo,
    kCliHelpQuiet,
    kCliHelpHelp,
    kCliHelpVersion,
    kCliHelpProbe,
    kCliHelpDryRun,
    kCliHelpYes,
    kCliHelpSeconds,
    kCliHelpCsv,
    kCliHelpForce,
    kCliUnknownCommand,
    kCliMissingCommand,
    kCliBadArguments,
    kCliBadValue,
    kCliOutOfRange,
    kCliNoControllerOnPort,
    kCliForceToWrite,
    kCliStoppedNothingWritten,
    kCliStoppedAfterWrite,
    kCliHoldsFile,
    kCliHoldsClearedMap,
    kCliHoldsEditedBlock,
    kCliHoldsSettings,
    kCliHoldsFirmware,
    kCliMapChangedByUpdate,
    kCliCannotWriteOutput,
    kCannotReadFile,
    kCannotWriteFile,
    kCliNoReadings,
    kCliLinkLost,
    kCliLinkBack,
    kCliPortPresent,
    kCliPortAbsent,
    kCliPortOpenable,
    kCliProbeApplication,
    kPhaseEnteringBootloader,
    kPhaseProgramming,
    kPhaseEnding,
    kPhaseStartingApplication,
    kPhaseReconnecting,
    kCliProgressRows,
    kCliProgressAttempt,
    kChartSaveCsv,
    kChartSaveImage,
    kChartRecord,
    kChartStopRecording,
    kCsvFileFilter,
    kPngFileFilter,
    // The window that never freezes.
    kStatusSearching,
    kStatusConnecting,
    kStatusWritingMap,
    kStatusClearingMap,
    kStatusUpdating,
    kTimeLeft,
    kAttemptOf,
    kCloseWhileProgramming,
    kCompareAxesDiffer,
    kCompareSettingsDiffer,
    // Block editing of the map.
    kMapSetValue,
    kMapSetAverage,
    kMapAdd,
    kMapStepUp,
    kMapStepDown,
    kMapScale,
    kMapInterpolate,
    kMapInterpolateRows,
    kMapInterpolateColumns,
    kMapSmooth,
    kMapCopy,
    kMapPaste,
    kMapPasteAdd,
    kMap3dView,
    kMapDifferences,
    kMapSetValuePrompt,
    kMapAddPrompt,
    kMapScalePrompt,
    kSaturatedCells,
    kPasteNothing,
    kPasteNotNumber,
    kPasteRowLength,
    kPasteDoesNotFit,
    kCliHelpEdit,
    kCliHelpBlock,
    kCliHelpSetValue,
    kCliHelpAdd,
    kCliHelpScale,
    kCliHelpInterpolate,
    kCliHelpSmooth,
    kCliMissingOption,
    kCliOneOperation,
    kCliBadBlock,
    kMapNotANumber,
    kMapSurfaceReset,
    kMapSurfaceValueAxis,
    // Readings logs.
    kReadingsLogAtLine,
    kReadingsLogCannotOpen,
    kReadingsLogNotRegular,
    kReadingsLogTooLarge,
    kReadingsLogNotALog,
    kReadingsLogUnknownHeaderLine,
    kReadingsLogRepeatedHeaderLine,
    kReadingsLogMissingHeaderLine,
    kReadingsLogBadColumns,
    kReadingsLogNoColumns,
    kReadingsLogFieldCount,
    kReadingsLogNotNumber,
    kReadingsLogOutOfRange,
    kReadingsLogTimeBackwards,
    kReadingsLogSampleNotRising,
    kReadingsLogMarkerNotRising,
    kReadingsLogUnknownComment,
    kReadingsLogLostTwice,
    kReadingsLogBackUnlost,
    kReadingsLogEmptyLine,
    kCliHelpConvert,
    kCliOutputIsInput,
    kCliStoppedFileNotWritten,
    kCliNothingLearned,
    kCliLogOfOtherFirmware,
    kReadingsLogReadingWhileLost,
    kCliLogOfOtherAxes,
    kCliForceToLearn,
    kReplayAlone,
    kCliMarkerWritten,
    kCliMarkerHint,
    kStatusReplay,
    kOpenReplay,
    kSaveAsMsl,
    kMslFileFilter,
    // The demo mode.
    kStatusDemo,
    kDemoTitleMark,
    kReplayPlay,
    kReplayPause,
    kReplayClose,
    kReplayMarkers,
    kReplayNoReadings,
    kStatusCheckingLink,
    kFileDialogOpen,
    kFileDialogSave,
    kFirmwareFilesFilter,
    kChartRangeWhole,
    kChartRangeFitted,
    kReplayAddMarker,
    kReplayMarkersBeside,
    kDifferencesAgainst,
    kDifferencesNone,
    kDifferencesLegend,
    // The register of cars.
    kRegisterFull,
    kRegisterReadOnly,
    kRegisterLocked,
    kRegisterDamaged,
    kRegisterNewer,
    kRegisterFailed,
    kWrongCar,
    kCauseConnected,
    kCauseBeforeClear,
    kCauseCalibration,
    kCauseMapFileLoad,
    kCauseFirmwareUpdate,
    kCauseEdit,
    kCauseRestore,
    kCauseImported,
    kTimelineVersion,
    kTimelineLog,
    kTimelineDrive,
    kTimelineUpdate,
    kUpdateSucceeded,
    kUpdateFailed,
    kTimelineNote,
    kCarPlate,
    kCarVin,
    kCarMake,
    kCarModel,
    kCarYear,
    kCarEngine,
    kCarLpgKit,
    kCarCustomer,
    kCarPhone,
    kCarNotes,
    kCarLastVisit,
    kCliHelpCar,
    kCliHelpCarOption,
    kCliHelpCarDetails,
    kCliUnknownCar,
    kCliCarExists,
    kCliCarAdded,
    kCliNoCarMatches,
    kCliClosestCars,
    kCliManyCarsMatch,
    kCliUnknownVersion,
    kCliRefusedWrongCar,
    kCliHoldsVersion,
    kCarsMenu,
    kCarsTitle,
    kCarsSearchHint,
    kNewCar,
    kNewCarPlate,
    kSaveCarDetails,
    kCarTimeline,
    kCompareWithController,
    kRestoreVersion,
    kOpenDriveLog,
    kThisIsTheCar,
    kAddNote,
    kUnassignedBackups,
    kAssignBackups,
    kIsThisCar,
    kWhichCarIsIt,
    kUnknownCar,
    kUnknownCarNoClosest,
    kYes,
    kNo,
    kCarInTitle,
    kWriteToOtherCar,
};

} // namespace krv::texts
