#pragma once

#include <QComboBox>
#include <QVariant>

// Drop-down lists whose entries stand for records: each entry carries a
// pointer to its record as item data.
namespace ComboItems {

inline QVariant PointerData(const void* pointer) {
    return QVariant::fromValue(const_cast<void*>(pointer));
}

// The record of the current entry; null when none is chosen.
template <typename T> const T* Current(const QComboBox* box) {
    return box->currentIndex() < 0 ? nullptr
                                   : static_cast<const T*>(box->currentData().value<void*>());
}

} // namespace ComboItems
