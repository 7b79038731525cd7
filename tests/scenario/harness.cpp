#include "harness.h"

#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>
#include "build_paths.h"

namespace {

ScenarioRun run_driver(const std::string& script, const QString& workdir, const QString& display,
                       const QString& program_args = QString(),
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QTemporaryDir temp;
    const QString dir = workdir.isEmpty() ? temp.path() : workdir;
    QProcess p;
    p.setProgram(QString::fromUtf8(build_paths::scenario_exe));
    QStringList arguments{QStringLiteral("--workdir"), dir};
    QProcessEnvironment env = environment;
    if (!display.isEmpty()) {
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("DISPLAY"), display);
        arguments << QStringLiteral("--display");
    }
    p.setProcessEnvironment(env);
    if (!program_args.isEmpty()) arguments << QStringLiteral("--args") << program_args;
    p.setArguments(arguments << QStringLiteral("-"));
    p.start();
    p.write(script.data(), static_cast<qint64>(script.size()));
    p.closeWriteChannel();
    ScenarioRun run;
    if (!p.waitForFinished(120000)) {
        p.kill();
        run.errors = QStringLiteral("the driver did not finish");
        return run;
    }
    run.exit_code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.errors = QString::fromUtf8(p.readAllStandardError());
    run.dumps = parse_dumps(p.readAllStandardOutput());
    return run;
}

}  // namespace

std::vector<QJsonObject> parse_dumps(const QByteArray& output) {
    std::vector<QJsonObject> dumps;
    for (const QByteArray& line : output.split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.left(200).toStdString();
        dumps.push_back(doc.object());
    }
    return dumps;
}

ScenarioRun run_scenario(const std::string& script, const QString& workdir) {
    return run_driver(script, workdir, QString());
}

ScenarioRun run_scenario_on_display(const std::string& script, const QString& display,
                                    const QString& workdir) {
    return run_driver(script, workdir, display);
}

ScenarioRun run_scenario_with_args(const std::string& script, const QString& program_args,
                                   const QString& workdir) {
    return run_driver(script, workdir, QString(), program_args);
}

ScenarioRun run_scenario_in_environment(const std::string& script, const QProcessEnvironment& environment,
                                        const QString& workdir) {
    return run_driver(script, workdir, QString(), QString(), environment);
}

QString testdata(const QString& relative) {
    return QString::fromUtf8(build_paths::source_dir) + "/tests/data/" + relative;
}

QJsonArray rect(const QJsonObject& dump, const char* window, const char* which) {
    return dump["windows"].toObject()[window].toObject()[which].toArray();
}

int width(const QJsonArray& r) {
    return r[2].toInt() - r[0].toInt();
}
int height(const QJsonArray& r) {
    return r[3].toInt() - r[1].toInt();
}

int pattern_count_of(const QJsonObject& dump) {
    return dump["tables"].toObject()["pattern_count"].toInt();
}

int frame_count_of(const QJsonObject& dump, int p) {
    return dump["tables"].toObject()["entries"].toArray()[p].toObject()["frame_count"].toInt();
}

QJsonArray boxes_after_new(const QJsonObject& dump) {
    QJsonArray out;
    for (const auto& v : dump["message_boxes"].toArray())
        if (v.toObject()["caption"].toString() != QString::fromUtf8("新規作成")) out.append(v);
    return out;
}

QJsonObject menu_item(const QJsonArray& items, const QString& text) {
    for (const auto& v : items)
        if (v.toObject()["text"].toString().section(QLatin1Char('\t'), 0, 0) ==
            text.section(QLatin1Char('\t'), 0, 0))
            return v.toObject();
    return {};
}

std::string add_pattern(const std::string& name) {
    return "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  set IDC_PATTERN_NAME \"" + name +
           "\"\n  click IDOK\nend\n";
}

std::string frame_set(int p, int f, int x, int y, int w, int h, int left, int top) {
    const std::string from = std::to_string(left + x) + " " + std::to_string(top + y);
    const std::string to = std::to_string(left + x + w - 1) + " " + std::to_string(top + y + h - 1);
    return "tree select frame " + std::to_string(p) + " " + std::to_string(f) + "\nmouse image down " + from +
           "\nmouse image move " + to + "\nmouse image up " + to + "\nmenu image ID_FRAME_SET\n";
}

std::string drag_frame(int p, int dx, int dy) {
    const std::string w = "pattern " + std::to_string(p);
    const std::string to = std::to_string(50 + dx) + " " + std::to_string(50 + dy);
    return "mouse " + w + " down 50 50\nmouse " + w + " move " + to + "\nmouse " + w + " up " + to + "\n";
}

QStringList strings(const QJsonArray& values) {
    QStringList out;
    for (const auto& v : values) out << v.toString();
    return out;
}

QStringList texts(const QJsonArray& items) {
    QStringList out;
    for (const auto& v : items) out << v.toObject()["text"].toString();
    return out;
}

QJsonObject root(const QJsonObject& dump) {
    return dump["tree"].toArray()[0].toObject();
}

QString selected_item(const QJsonObject& d) {
    const QJsonObject r = root(d);
    if (r["selected"].toBool()) return QStringLiteral("root");
    const QJsonArray patterns = r["children"].toArray();
    for (int p = 0; p < patterns.size(); ++p) {
        const QJsonObject pattern = patterns[p].toObject();
        if (pattern["selected"].toBool()) return QStringLiteral("pattern %1").arg(p);
        const QJsonArray frames = pattern["children"].toArray();
        for (int f = 0; f < frames.size(); ++f)
            if (frames[f].toObject()["selected"].toBool()) return QStringLiteral("frame %1 %2").arg(p).arg(f);
    }
    return QString();
}

QStringList pattern_items(const QJsonObject& dump) {
    return texts(root(dump)["children"].toArray());
}

QStringList frame_items(const QJsonObject& dump, int p) {
    return texts(root(dump)["children"].toArray()[p].toObject()["children"].toArray());
}

QString selected_text(const QJsonArray& items) {
    for (const auto& v : items) {
        const QJsonObject o = v.toObject();
        if (o["selected"].toBool()) return o["text"].toString();
        QString inner = selected_text(o["children"].toArray());
        if (!inner.isNull()) return inner;
    }
    return QString();
}

std::string new_project(const QString& image, int more_boxes) {
    std::string s = "answer box IDOK\nanswer open \"" + image.toStdString() + "\"\n";
    for (int i = 0; i < more_boxes; ++i) s += "answer box IDOK\n";
    return s + "menu ID_FILE_NEW\n";
}

std::string patterns(const std::vector<std::string>& names) {
    std::string s = new_project() + "resize main 900 1000\n";
    for (const auto& n : names) s += add_pattern(n);
    return s;
}

std::string rename_item(const std::string& item, const std::string& text) {
    return "tree select " + item + "\nmenu ID_EDIT_LABEL\non dialog IDD_LABEL_EDIT\n  set IDC_LABEL_TEXT \"" +
           text + "\"\n  click IDOK\nend\n";
}
