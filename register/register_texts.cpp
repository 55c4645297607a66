#include "register/register_texts.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/local_time.h"
#include "platform/text.h"

namespace krv::reg {

std::u16string faultMessage(const DatabaseFault& fault, const std::string& path) {
    std::u16string_view text = texts::kRegisterFailed;
    switch (fault.kind()) {
    case FaultKind::Full:
        text = texts::kRegisterFull;
        break;
    case FaultKind::ReadOnly:
        text = texts::kRegisterReadOnly;
        break;
    case FaultKind::Locked:
        text = texts::kRegisterLocked;
        break;
    case FaultKind::Damaged:
        text = texts::kRegisterDamaged;
        break;
    case FaultKind::Newer:
        text = texts::kRegisterNewer;
        break;
    case FaultKind::Other:
        break;
    }
    return translate(text) + u"\n" + toU16(path) + u": " + toU16(fault.what());
}

std::u16string wrongCarMessage(const WrongCar& wrong, std::string_view chosenPlate) {
    const std::u16string holder = toU16(wrong.holder.details.plate);
    const std::u16string date = toU16(localDate(wrong.seen));
    const std::u16string chosen = toU16(chosenPlate);
    return fillIn(translate(texts::kWrongCar), {holder, date, chosen});
}

std::u16string causeText(Cause cause) {
    switch (cause) {
    case Cause::Connected:
        return translate(texts::kCauseConnected);
    case Cause::BeforeClear:
        return translate(texts::kCauseBeforeClear);
    case Cause::Calibration:
        return translate(texts::kCauseCalibration);
    case Cause::MapFileLoad:
        return translate(texts::kCauseMapFileLoad);
    case Cause::FirmwareUpdate:
        return translate(texts::kCauseFirmwareUpdate);
    case Cause::Edit:
        return translate(texts::kCauseEdit);
    case Cause::Restore:
        return translate(texts::kCauseRestore);
    case Cause::Imported:
        return translate(texts::kCauseImported);
    }
    return u"?";
}

std::u16string timelineText(const TimelineEntry& entry) {
    using Kind = TimelineEntry::Kind;
    switch (entry.kind) {
    case Kind::Seen:
        return fillIn(translate(texts::kTimelineVersion),
                      {toU16(std::to_string(entry.versionId)), causeText(entry.cause)});
    case Kind::Log:
        return fillIn(translate(texts::kTimelineLog), {toU16(entry.text)});
    case Kind::Drive:
        return fillIn(translate(texts::kTimelineDrive),
                      {toU16(std::to_string(entry.cellsLearned)),
                       toU16(std::to_string(entry.readingsUsed)), toU16(entry.text)});
    case Kind::FirmwareUpdate:
        return fillIn(
            translate(texts::kTimelineUpdate),
            {toU16(std::to_string(entry.firmwareVersion)), toU16(entry.text),
             translate(entry.succeeded ? texts::kUpdateSucceeded : texts::kUpdateFailed)});
    case Kind::Note:
        return fillIn(translate(texts::kTimelineNote), {toU16(entry.text)});
    }
    return {};
}

std::string vehicleText(const CarDetails& details) {
    std::string vehicle;
    for (const std::string& part :
         {details.make, details.model,
          details.year != 0 ? std::to_string(details.year) : std::string()}) {
        if (!part.empty()) {
            vehicle += (vehicle.empty() ? "" : " ") + part;
        }
    }
    return vehicle;
}

std::string localDate(int64_t time) {
    return localTimeIso8601(static_cast<std::time_t>(time)).substr(0, 10);
}

std::string localMinute(int64_t time) {
    std::string minute = localTimeIso8601(static_cast<std::time_t>(time)).substr(0, 16);
    minute[10] = ' ';
    return minute;
}

} // namespace krv::reg
