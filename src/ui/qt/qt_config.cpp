#include "ui/qt/qt_config.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace grusk {

namespace {

// The groups the editor writes by itself.
const QStringList kRememberedGroups{"Window", "Map", "Recent"};

QString configPath(const std::string& programFolder) {
    return QDir(QString::fromStdString(programFolder)).filePath(kConfigFileName);
}

}  // namespace

Configuration readConfigurationFile(const std::string& programFolder) {
    Configuration config;
    const QString path = configPath(programFolder);
    if (!QFileInfo(path).isFile()) return config;
    QSettings settings(path, QSettings::IniFormat);
    const QStringList groups = settings.childGroups();
    bool onlyRemembered = !groups.isEmpty() && settings.childKeys().isEmpty();
    for (const QString& group : groups)
        if (!kRememberedGroups.contains(group)) onlyRemembered = false;
    if (onlyRemembered) return config;
    config.fileFound = true;
    const QVariant value = settings.value("Emulator/Path");
    if (value.isValid()) config.emulatorPath = value.toString().toStdString();
    return config;
}

RememberedView readRememberedView(const std::string& programFolder) {
    RememberedView view;
    const QString path = configPath(programFolder);
    if (!QFileInfo(path).isFile()) return view;
    QSettings settings(path, QSettings::IniFormat);
    view.mainGeometry = settings.value("Window/Geometry").toByteArray();
    view.zoom = settings.value("Window/Zoom", 100).toInt();
    view.mapGeometry = settings.value("Map/Geometry").toByteArray();
    view.mapZoom = settings.value("Map/Zoom", 100).toInt();
    view.recentFiles = settings.value("Recent/Files").toStringList();
    return view;
}

bool writeRememberedView(const std::string& programFolder, const RememberedView& view) {
    const QString path = configPath(programFolder);
    const QFileInfo info(path);
    // Never over a file the user may not write.
    if (info.exists() && !info.isWritable()) return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue("Window/Geometry", view.mainGeometry);
    settings.setValue("Window/Zoom", view.zoom);
    settings.setValue("Map/Geometry", view.mapGeometry);
    settings.setValue("Map/Zoom", view.mapZoom);
    settings.setValue("Recent/Files", view.recentFiles);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

ViewSettings readViewSettings() {
    ViewSettings views;
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, "GruskEdit", "views");
    views.showLinks = settings.value("View/ShowLinks", views.showLinks).toBool();
    views.labelMap = settings.value("View/LabelMap", views.labelMap).toBool();
    return views;
}

void writeViewSettings(const ViewSettings& views) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "GruskEdit", "views");
    settings.setValue("View/ShowLinks", views.showLinks);
    settings.setValue("View/LabelMap", views.labelMap);
}

}  // namespace grusk
