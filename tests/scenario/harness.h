// Runs the scenario driver on a script and hands back what it printed.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "res/resource.h"

struct ScenarioRun {
    int exit_code = -1;
    std::vector<QJsonObject> dumps;  // one per "dump" line, in order
    QString errors;                  // what the driver wrote on stderr
    QJsonObject last() const { return dumps.empty() ? QJsonObject() : dumps.back(); }
};

// workdir: the program's current directory; an empty one is made when not given.
ScenarioRun run_scenario(const std::string& script, const QString& workdir = QString());
// The same on the X display `display` (":N") instead of the offscreen platform.
ScenarioRun run_scenario_on_display(const std::string& script, const QString& display,
                                    const QString& workdir = QString());
// The same with the program started on the command line program_args (as WinMain gets it).
ScenarioRun run_scenario_with_args(const std::string& script, const QString& program_args,
                                   const QString& workdir = QString());
// The same with the program given this environment instead of the test's.
ScenarioRun run_scenario_in_environment(const std::string& script, const QProcessEnvironment& environment,
                                        const QString& workdir = QString());
// The dumps among the lines a driver printed.
std::vector<QJsonObject> parse_dumps(const QByteArray& output);

// Helpers for reading dumps. A dump keys controls by their ids (res/resource.h); the key of one:
inline QString id_key(int id) {
    return QString::number(id);
}
QJsonArray rect(const QJsonObject& dump, const char* window, const char* which);  // "window" or "client"
int width(const QJsonArray& r);
int height(const QJsonArray& r);
// Paths of the third-party test files under tests/data.
QString testdata(const QString& relative);

// A script that starts a new project with an image (by default the sprite sheet
// tests/data/tim/sheet64x48.bmp), as a user does before any project command: File > New,
// OK on the hint, the image chosen in the open dialog, and OK on more_boxes more boxes
// (refusals of the image).
std::string new_project(const QString& image = testdata("tim/sheet64x48.bmp"), int more_boxes = 0);
// A script that adds a pattern through IDD_ADD_PATTERN with the given name and one frame.
std::string add_pattern(const std::string& name);
// Frame (p, f) takes the rectangle (x, y, w, h) of the image: the frame is selected in the
// tree, the rectangle dragged in the image window and applied with frame set. The image
// window shows the image centred, its top-left corner at (left, top): (96, 104) for the
// 64 x 48 sheet, (65, 96) for the 126 x 64 8-bit TIM sample.
std::string frame_set(int p, int f, int x, int y, int w, int h, int left = 96, int top = 104);
// Drags the current frame of pattern p by (dx, dy) base pixels at zoom 1, which moves its
// correction offset as far as the base frame lets it.
std::string drag_frame(int p, int dx, int dy);
// A new project in a tall main window (every item of a small project visible in the tree)
// with these patterns.
std::string patterns(const std::vector<std::string>& names);
// A script that selects a tree item ("root", "pattern N", "frame N M") and renames it with IDD_LABEL_EDIT.
std::string rename_item(const std::string& item, const std::string& text);
// Texts of a JSON array of strings, or of the "text" members of an array of objects.
QStringList strings(const QJsonArray& values);
QStringList texts(const QJsonArray& items);
// The project tree of a dump: the root item, its pattern items' texts, pattern p's frame texts.
QJsonObject root(const QJsonObject& dump);
// The project tree's selected item: "root", "pattern P" or "frame P F"; empty for none.
QString selected_item(const QJsonObject& dump);
QStringList pattern_items(const QJsonObject& dump);
QStringList frame_items(const QJsonObject& dump, int p);
// The text of the selected item of a tree (a dump's "tree"), or a null string when none is.
QString selected_text(const QJsonArray& items);
// The pattern count and pattern p's frame count of a dump's tables.
int pattern_count_of(const QJsonObject& dump);
int frame_count_of(const QJsonObject& dump, int p);
// The message boxes a dump lists, without the hint that New shows before every project.
QJsonArray boxes_after_new(const QJsonObject& dump);
// The item of a menu (array of items) with the given text, or an empty object.
QJsonObject menu_item(const QJsonArray& items, const QString& text);
