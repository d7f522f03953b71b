#include "MomentEdit.h"

#include "MExcept.h"

#include <cstdint>
#include <limits>

namespace {

QDate LocalDayOf(const MTime& moment) {
    return QDate(moment.GetYear() + 1900, moment.GetMonth() + 1, moment.GetDay());
}

// Stands for a stored day that the picker cannot show; it lies just before
// the days the picker offers, so no day the user picks can be taken for it.
QDate StoredDay() {
    return CMomentEdit::FirstDay().addDays(-1);
}

} // namespace

QDate CMomentEdit::FirstDay() {
    // The local day of the first moment, unless that moment is past its
    // midnight: then the next day.
    const MTime moment(std::int64_t{0});
    const bool midnight =
        moment.GetHour() == 0 && moment.GetMinute() == 0 && moment.GetSecond() == 0;
    return LocalDayOf(moment).addDays(midnight ? 0 : 1);
}

QDate CMomentEdit::LastDay() {
    return LocalDayOf(MTime(std::int64_t{std::numeric_limits<std::int32_t>::max()}));
}

CMomentEdit::CMomentEdit(const MTime& moment, QWidget* parent) : QDateEdit(parent) {
    setDisplayFormat("M/d/yyyy");
    setCalendarPopup(true);
    connect(this, &QDateEdit::dateChanged, this, [this](QDate picked) {
        if (picked == StoredDay() || minimumDate() != StoredDay())
            return;
        setSpecialValueText(QString());
        setMinimumDate(FirstDay());
    });
    Show(moment);
}

void CMomentEdit::Show(const MTime& moment) {
    m_moment = moment;
    const QDate day = LocalDayOf(moment);
    if (day.isValid() && day >= FirstDay() && day <= LastDay()) {
        setSpecialValueText(QString());
        setDateRange(FirstDay(), LastDay());
        setDate(day);
    } else {
        setDateRange(StoredDay(), LastDay());
        setSpecialValueText(QString::fromStdString(moment.DateText()));
        setDate(StoredDay());
    }
    m_shownDay = date();
}

void CMomentEdit::SetMoment(const MTime& moment) {
    Show(moment);
    m_set = true;
}

bool CMomentEdit::Changed() const {
    return m_set || date() != m_shownDay;
}

std::optional<MTime> CMomentEdit::Moment(bool atMidnight) const {
    const QDate day = date();
    // A day the picker could not show, left alone, stays as stored; a moment
    // set by the program must be one the file can hold.
    if (day == StoredDay() || (day == m_shownDay && !atMidnight)) {
        if (m_set && m_moment.AsSeconds() < 0)
            return std::nullopt;
        return m_moment;
    }
    try {
        return MTime(day.year(), day.month(), day.day(), atMidnight ? 0 : m_moment.GetHour(),
                     atMidnight ? 0 : m_moment.GetMinute(), atMidnight ? 0 : m_moment.GetSecond(),
                     -1);
    } catch (const MExcept&) {
        return std::nullopt;
    }
}
