#include "LockKeyState.h"

#include <QDir>
#include <QFile>

LockKeyState::LockKeyState(QString ledFolder) : m_ledFolder(std::move(ledFolder)) {}

bool LockKeyState::IsLit(const QString& function) const {
    const QDir leds(m_ledFolder);
    const QStringList names =
        leds.entryList({"*::" + function}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& name : names) {
        QFile brightness(leds.filePath(name + "/brightness"));
        if (!brightness.open(QIODevice::ReadOnly))
            continue;
        const QByteArray value = brightness.read(16).trimmed();
        if (!value.isEmpty() && value != "0")
            return true;
    }
    return false;
}
