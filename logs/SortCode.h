#pragma once

// A list's sort code: the column number in the low seven bits, plus 128 for
// the other direction. One code per list is kept for the whole run.
namespace SortCode {

constexpr int kDirection = 128;
constexpr int kColumnMask = 127;

constexpr int Column(int code) {
    return code & kColumnMask;
}
constexpr bool IsReversed(int code) {
    return (code & kDirection) != 0;
}
// A click on a column header: the sorted column flips its direction, any
// other column becomes the sorted one in its first direction.
constexpr int AfterColumnClick(int code, int column) {
    return column == Column(code) ? code ^ kDirection : column;
}

} // namespace SortCode
