// Message boxes and the common file and colour dialogs, shown with Qt's own dialogs.
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "qt/backend_impl.h"
#include "qt/widgets.h"
#include "win/backend.h"

using cw::win::Window;

namespace cw::qt {

namespace {

QWidget* owner_widget(Window* owner) {
    View* v = view_of(cw::win::top_level_of(owner));
    return v ? v->frame : nullptr;
}

int answer_for(UINT type, int qt_button) {
    switch (qt_button) {
        case QMessageBox::Ok: return IDOK;
        case QMessageBox::Cancel: return IDCANCEL;
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        case QMessageBox::Abort: return IDABORT;
        case QMessageBox::Retry: return IDRETRY;
        case QMessageBox::Ignore: return IDIGNORE;
    }
    // Closing the box counts as its cancel button, or OK when it has only that.
    const UINT buttons = type & MB_TYPEMASK;
    return buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : IDCANCEL;
}

QMessageBox::StandardButtons buttons_of(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
        case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
        case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MB_RETRYCANCEL: return QMessageBox::Retry | QMessageBox::Cancel;
        case MB_ABORTRETRYIGNORE: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon icon_of(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND: return QMessageBox::Critical;
        case MB_ICONQUESTION: return QMessageBox::Question;
        case MB_ICONEXCLAMATION: return QMessageBox::Warning;
        case MB_ICONASTERISK: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

// The filter list as the dialog shows it: each entry's text already names its patterns,
// so the patterns are not repeated after it (the dialog hides them, see file_dialog).
QStringList file_dialog_filters(const std::vector<std::string>& pairs) {
    QStringList out;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        QString patterns = QString::fromStdString(pairs[i + 1]);
        patterns.replace(';', ' ');
        out.push_back(QString::fromStdString(pairs[i]) + " (" + patterns + ")");
    }
    return out;
}

}  // namespace cw::qt

namespace cw::qt::impl {

int message_box(Window* owner, const std::string& text, const std::string& caption, UINT type) {
    QMessageBox box(owner_widget(owner));
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setIcon(icon_of(type));
    box.setStandardButtons(buttons_of(type));
    return answer_for(type, box.exec());
}

std::optional<std::string> file_dialog(const FileDialogRequest& r) {
    QFileDialog dlg(owner_widget(r.owner), QString::fromStdString(r.title));
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(!r.save && (r.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                             : QFileDialog::AnyFile);
    // Overwriting is asked about by the program itself.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = file_dialog_filters(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (r.filter_index < filters.size()) dlg.selectNameFilter(filters[r.filter_index]);
    }
    if (!r.default_ext.empty()) dlg.setDefaultSuffix(QString::fromStdString(r.default_ext));
    if (!r.initial_dir.empty()) dlg.setDirectory(QString::fromStdString(r.initial_dir));
    if (!r.initial_name.empty()) dlg.selectFile(QString::fromStdString(r.initial_name));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front().toStdString();
}

namespace {

constexpr int kCustomColours = 16;

// Without the full dialog the custom colours are out of reach. Qt's dialog keeps them
// in a labelled well with an "add" button beside it; both go.
void hide_custom_colours(QColorDialog& dlg) {
    const QString well = QCoreApplication::translate("QColorDialog", "&Custom colors");
    const QString add = QCoreApplication::translate("QColorDialog", "&Add to Custom Colors");
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->text() != well) continue;
        label->hide();
        if (label->buddy()) label->buddy()->hide();
    }
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        if (button->text() == add) button->hide();
}

}  // namespace

std::optional<COLORREF> choose_color(const ColorDialogRequest& r) {
    COLORREF* custom = r.custom;
    // CC_PREVENTFULLOPEN keeps the custom colours out of reach.
    const bool allow_custom = !(r.flags & CC_PREVENTFULLOPEN);
    if (custom)
        for (int i = 0; i < kCustomColours; ++i) QColorDialog::setCustomColor(i, to_qcolor(custom[i]));
    QColorDialog dlg(to_qcolor(r.initial), owner_widget(r.owner));
    dlg.setOption(QColorDialog::DontUseNativeDialog, true);
    if (!allow_custom) hide_custom_colours(dlg);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    const QColor c = dlg.selectedColor();
    if (custom && allow_custom)
        for (int i = 0; i < kCustomColours; ++i) {
            const QColor k = QColorDialog::customColor(i);
            custom[i] = RGB(k.red(), k.green(), k.blue());
        }
    return RGB(c.red(), c.green(), c.blue());
}

}  // namespace cw::qt::impl
