// The desktop's clipboard through QClipboard. Each block is put under its registered name
// as the format, so another program (another running editor among them) finds it under
// the same name; on X11 the selection is served from this process's event loop, which
// the program's message loop runs.
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "qt/backend_impl.h"
#include "win/backend.h"

namespace cw::qt::impl {

namespace {

QString format_of(const std::string& name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

const QMimeData* held() {
    ensure_started();
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

}  // namespace

void clipboard_put(const std::vector<ClipboardBlock>& blocks) {
    ensure_started();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (blocks.empty()) {
        clipboard->clear(QClipboard::Clipboard);
        return;
    }
    auto* data = new QMimeData;
    for (const ClipboardBlock& b : blocks)
        data->setData(format_of(b.name), QByteArray(reinterpret_cast<const char*>(b.bytes.data()),
                                                    static_cast<qsizetype>(b.bytes.size())));
    clipboard->setMimeData(data, QClipboard::Clipboard);  // the clipboard takes the data
}

std::vector<std::string> clipboard_names() {
    std::vector<std::string> names;
    if (const QMimeData* data = held())
        for (const QString& format : data->formats()) names.push_back(format.toStdString());
    return names;
}

std::optional<std::vector<uint8_t>> clipboard_read(const std::string& name) {
    const QMimeData* data = held();
    const QString format = format_of(name);
    if (!data || !data->hasFormat(format)) return std::nullopt;
    const QByteArray bytes = data->data(format);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace cw::qt::impl
