#include "ui/qt/qt_config.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace grusk {

Configuration readConfigurationFile(const std::string& programFolder) {
    Configuration config;
    const QString path = QDir(QString::fromStdString(programFolder)).filePath(kConfigFileName);
    if (!QFileInfo(path).isFile()) return config;
    config.fileFound = true;
    QSettings settings(path, QSettings::IniFormat);
    const QVariant value = settings.value("Emulator/Path");
    if (value.isValid()) config.emulatorPath = value.toString().toStdString();
    return config;
}

}  // namespace grusk
