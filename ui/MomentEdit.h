#pragma once

#include "MTime.h"

#include <QDateEdit>
#include <optional>

// A date picker over a stored moment of a record. It shows the moment's day
// and keeps its time of day; a day the calendar cannot show (month 13, 30
// February) or one outside the days a data file can hold shows as the lists
// show it, and stays exactly as stored until the user picks another day.
class CMomentEdit : public QDateEdit {
    Q_OBJECT
public:
    // The first and last local day whose whole day a data file can hold, in
    // this machine's time zone (east of UTC, 1 January 1970 begins before
    // the first moment a file holds).
    static QDate FirstDay();
    static QDate LastDay();

    explicit CMomentEdit(const MTime& moment, QWidget* parent = nullptr);

    // Shows another moment, as AutoSet does; it then counts as changed, and
    // one the data file cannot hold is refused by Moment().
    void SetMoment(const MTime& moment);
    // Whether the day shown differs from the stored one.
    bool Changed() const;
    // The moment as the picker leaves it: the stored one while unchanged,
    // else the picked day at the kept time of day (midnight with
    // atMidnight); none when the data file cannot hold that moment. Only a
    // stored moment left alone may lie outside what the file holds.
    std::optional<MTime> Moment(bool atMidnight = false) const;

private:
    void Show(const MTime& moment);

    MTime m_moment;
    QDate m_shownDay;
    bool m_set = false;
};
