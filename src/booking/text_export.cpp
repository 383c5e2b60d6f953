#include "booking/text_export.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "booking/repeat.h"
#include "booking/words.h"
#include "store/datetime.h"
#include "store/questions.h"
#include "store/store.h"

namespace booking {

namespace {

std::string dateText(store::LONG d) {
    return d == 0 ? std::string() : store::longDate(store::Date(d));
}
std::string timeText(store::LONG t) {
    return t == 0 ? std::string() : store::shortTime(store::Time(t));
}

const char* const kWeekdays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};

std::string rightTrimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

std::string RESOURCETEXT(const std::string& prime, const std::vector<ResourceEntry>& resources) {
    std::string text;
    for (const ResourceEntry& r : resources) {
        if (r.RESOURCE == prime) continue;
        if (!text.empty()) text += ", ";
        text += r.RESOURCE + " " + std::to_string(r.UNITS);
    }
    return text;
}

std::vector<std::string> REPEATROUTINE(int type, const store::REPACT& rule,
                                       const std::vector<DateEntry>& occurrences) {
    std::string text;
    switch (type) {
        case NoRepeats:
            text = tr("No repeats");
            break;
        case MultiDay:
            text = merge(tr("Booking extends to %1"), dateText(rule.REPEND));
            break;
        case IrregularDates: {
            std::vector<std::string> lines{tr("Repeated irregularly"), ""};
            for (const DateEntry& d : occurrences)
                lines.push_back(dateText(d.DATE) + "  " + timeText(d.TIME) + "  " +
                                timeText(d.ENDTIME));
            return lines;
        }
        case FixedDays:
        case FixedWeeks:
        case FixedMonths: {
            const char* unit = type == FixedDays    ? "day(s)"
                               : type == FixedWeeks ? "week(s)"
                                                    : "month(s)";
            text = merge(tr("Every %1 %2 until %3"), std::to_string(rule.REPNUMBER), tr(unit),
                         dateText(rule.REPEND));
            break;
        }
        case SetDaysEachWeek: {
            const store::BYTE ticked[] = {rule.MONDAY, rule.TUESDAY,  rule.WEDNESDAY, rule.THURSDAY,
                                          rule.FRIDAY, rule.SATURDAY, rule.SUNDAY};
            std::string days;
            for (int i = 0; i < 7; ++i)
                if (ticked[i]) days += (days.empty() ? "" : ", ") + tr(kWeekdays[i]);
            text = merge(tr("%1 of each week until %2"), days, dateText(rule.REPEND));
            break;
        }
        case SpecificWeekday: {
            const char* const which[] = {"First", "Second", "Third", "Fourth", "Last"};
            const int w = std::clamp<int>(rule.WEEK, 1, 5);
            const int d = std::clamp<int>(rule.WEEKDAY, 1, 7);
            text = merge(tr("%1 %2 of month until %3"), tr(which[w - 1]), tr(kWeekdays[d - 1]),
                         dateText(rule.REPEND));
            break;
        }
        default:
            break;
    }
    return {merge(tr("Repeat: %1"), text)};
}

std::vector<std::string> ASCIFILE(store::Store& db, const Words& words, store::LONG date,
                                  store::LONG start, store::LONG end,
                                  const std::vector<ResourceEntry>& resources,
                                  const std::vector<DateEntry>& occurrences) {
    const store::ACTIVITY& act = db.ACT;
    std::vector<std::string> l;
    auto blank = [&] { l.emplace_back(); };
    blank(), blank();
    l.push_back(std::string(20, ' ') + words.booking);
    blank(), blank();
    l.push_back(words.booking + ": " + act.NAME.str());
    blank();
    l.push_back(words.client + ": " + act.CLIENT.str());
    blank();
    l.push_back(merge(tr("Primary %1: %2   %3"), words.resource, act.PRIME.str(),
                      std::to_string(act.UNITS)));
    blank();
    l.push_back(merge(tr("Other %1"), words.resources) + ":");
    l.push_back(RESOURCETEXT(act.PRIME.str(), resources));
    blank();
    l.push_back(merge(tr("Scheduled date: %1"), dateText(date)));
    blank();
    l.push_back(merge(tr("Scheduled start: %1"), timeText(start)));
    blank();
    l.push_back(merge(tr("Scheduled end: %1"), timeText(end)));
    blank();
    for (std::string& line : REPEATROUTINE(act.REPEATTYPE, db.REP, occurrences)) l.push_back(line);
    blank();
    l.push_back(merge(tr("Booked by: %1"), act.USERNAME.str()));
    blank();
    l.push_back(merge(tr("Date booked: %1"), dateText(act.CHANGEDATE)));
    blank();
    l.push_back("#: " + std::to_string(act.ACTNUMBER));
    blank();
    l.push_back(tr("Notes") + ":");
    blank();
    l.push_back(trim(db.ACN.NOTES.view()));
    for (std::string& line : l) line = rightTrimmed(line);
    return l;
}

std::string saveTextFile(const std::vector<std::string>& lines, const std::string& folder,
                         std::string& error) {
    namespace fs = std::filesystem;
    error.clear();
    const fs::path working = fs::path(folder) / "ASCIFILE";
    {
        std::ofstream out(working, std::ios::trunc);
        for (const std::string& line : lines) out << line << '\n';
    }
    const std::string chosen = store::questions().chooseFile(store::UserQuestions::FileKind::Save,
                                                             tr("Save booking as text file"),
                                                             folder, tr("Text") + " (*.txt)");
    if (chosen.empty()) return {};
    std::error_code ec;
    fs::copy_file(working, chosen, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = ec.message();
        return {};
    }
    fs::remove(working, ec);
    return chosen;
}

}  // namespace booking
