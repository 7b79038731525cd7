// Runs the scenario driver on a script and hands back what it printed.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <string>
#include <vector>

struct ScenarioRun {
    int exit_code = -1;
    std::vector<QJsonObject> dumps;  // one per "dump" line, in order
    QString errors;                  // what the driver wrote on stderr
    QJsonObject last() const { return dumps.empty() ? QJsonObject() : dumps.back(); }
};

// workdir: the program's current directory; an empty one is made when not given.
ScenarioRun run_scenario(const std::string& script, const QString& workdir = QString());

// Paths of the third-party test files beside the repository.
QString testdata(const QString& relative);

// Helpers for reading dumps.
QJsonArray rect(const QJsonObject& dump, const char* window, const char* which);  // "window" or "client"
int width(const QJsonArray& r);
int height(const QJsonArray& r);
// The item of a menu (array of items) with the given text, or an empty object.
QJsonObject menu_item(const QJsonArray& items, const QString& text);
