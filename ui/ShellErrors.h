#pragma once

#include <QString>

// The texts by which a failure to open a document or a web page is told, by
// the shell's result code (32 or less is a failure).
namespace ShellErrors {

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kNoAssociation = 31;

QString ShellErrorText(unsigned int result);

} // namespace ShellErrors
