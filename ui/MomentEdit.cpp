#include "MomentEdit.h"

#include "MExcept.h"

const QDate CMomentEdit::kFirstDay(1970, 1, 1);
const QDate CMomentEdit::kLastDay(2038, 1, 18);

namespace {

// Stands for a stored day that the picker cannot show; it lies just before
// the days the picker offers, so no day the user picks can be taken for it.
const QDate kStoredDay = CMomentEdit::kFirstDay.addDays(-1);

} // namespace

CMomentEdit::CMomentEdit(const MTime& moment, QWidget* parent) : QDateEdit(parent) {
    setDisplayFormat("M/d/yyyy");
    setCalendarPopup(true);
    connect(this, &QDateEdit::dateChanged, this, [this](QDate picked) {
        if (picked == kStoredDay || minimumDate() != kStoredDay)
            return;
        setSpecialValueText(QString());
        setMinimumDate(kFirstDay);
    });
    Show(moment);
}

void CMomentEdit::Show(const MTime& moment) {
    m_moment = moment;
    const QDate day(moment.GetYear() + 1900, moment.GetMonth() + 1, moment.GetDay());
    if (day.isValid() && day >= kFirstDay && day <= kLastDay) {
        setSpecialValueText(QString());
        setDateRange(kFirstDay, kLastDay);
        setDate(day);
    } else {
        setDateRange(kStoredDay, kLastDay);
        setSpecialValueText(QString::fromStdString(moment.DateText()));
        setDate(kStoredDay);
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
    // A day the picker could not show, left alone, stays as stored.
    if (day == kStoredDay || (day == m_shownDay && !atMidnight))
        return m_moment;
    try {
        return MTime(day.year(), day.month(), day.day(), atMidnight ? 0 : m_moment.GetHour(),
                     atMidnight ? 0 : m_moment.GetMinute(), atMidnight ? 0 : m_moment.GetSecond(),
                     -1);
    } catch (const MExcept&) {
        return std::nullopt;
    }
}
