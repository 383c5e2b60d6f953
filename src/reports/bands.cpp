#include "reports/bands.h"

#include <algorithm>

#include "booking/words.h"

namespace reports::bands {

namespace {

const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                             "Thursday", "Friday", "Saturday"};

}  // namespace

std::string weekdayOf(store::Date d) {
    return booking::tr(kDays[d.weekday()]);
}

std::string timeText(store::LONG t) {
    return t == 0 ? std::string() : store::shortTime(store::Time(t));
}

int heightOf(const TextMeasurer* measure, const TextItem& item) {
    if (measure) return std::max(kLine, measure->textHeight(item));
    constexpr int kCharWidth = 70;
    int lines = 0;
    std::size_t from = 0;
    while (true) {
        const std::size_t to = item.text.find('\n', from);
        const std::size_t length = (to == std::string::npos ? item.text.size() : to) - from;
        lines += std::max(
            1, int((length * kCharWidth + item.rect.width - 1) / std::max(1, item.rect.width)));
        if (to == std::string::npos) break;
        from = to + 1;
    }
    return lines * kLine;
}

void labelledText(PageFlow& flow, int x, int labelWidth, int width, const std::string& label,
                  const std::string& text, const TextMeasurer* measure) {
    TextItem probe;
    probe.rect = {0, 0, width - x - labelWidth, kLine};
    probe.text = text;
    probe.font = kBody;
    probe.wrap = true;
    const int height = heightOf(measure, probe);
    const BandArea a = flow.place(height);
    a.text({x, 0, labelWidth - 60, kLine}, label, kHead);
    TextItem& t = a.text({x + labelWidth, 0, width - x - labelWidth, height}, text, kBody);
    t.wrap = true;
}

void decorate(PageFlow& flow, const std::string& title, const std::string& subtitle,
              int headingHeight, const std::function<void(const BandArea&, int top)>& headings) {
    flow.setHeader(360 + kLine + 60 + headingHeight + 60, [=](const BandArea& a, int) {
        a.text({0, 0, a.width(), 320}, title, kTitle);
        if (!subtitle.empty()) a.text({0, 360, a.width(), kLine}, subtitle, kBody);
        const int top = 360 + kLine + 60;
        if (headings) headings(a, top);
        a.line(0, top + headingHeight + 20, a.width(), top + headingHeight + 20);
    });
    flow.setFooter(kLine, [](const BandArea& a, int) {
        a.text({0, 0, 4000, kLine},
               booking::tr("Report date") + ": " + store::shortDate(store::today()), kBody);
        TextItem& t = a.text({a.width() - 3000, 0, 3000, kLine}, booking::tr("Page %1 of %2"),
                             kBody, Align::Right);
        t.pageNumbers = true;
    });
}

}  // namespace reports::bands
