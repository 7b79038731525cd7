// Message boxes and the common file and colour dialogs, shown with Qt's own
// dialogs, or answered by the automation seam in tests.
#include <QColorDialog>
#include <QCoreApplication>
#include <QLabel>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <cstring>

#include "automation/automation.h"
#include "qt/gdi_objects.h"
#include "qt/view.h"
#include "qt/widgets.h"
#include "text/cp932.h"
#include "win/window.h"

using cw::win::Window;

namespace cw::qt {

namespace {

QWidget* owner_widget(HWND owner) {
    Window* w = cw::win::top_level_of(cw::win::window_from(owner));
    View* v = view_of(w);
    return v ? v->frame : nullptr;
}

std::string utf8(const char* cp932) {
    return cw::text::cp932_to_utf8(cp932 ? cp932 : "");
}

// Filter pairs: display text and pattern, each ended by NUL, the list by an extra NUL.
std::vector<std::string> filter_pairs(const char* filter) {
    std::vector<std::string> out;
    if (!filter) return out;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) out.push_back(utf8(p));
    return out;
}

QString qt_filter(const std::vector<std::string>& pairs, QStringList* all) {
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        QString patterns = QString::fromStdString(pairs[i + 1]);
        patterns.replace(';', ' ');
        all->push_back(QString::fromStdString(pairs[i]) + " (" + patterns + ")");
    }
    return all->isEmpty() ? QString() : all->front();
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

bool valid_answer(UINT type, int answer) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return answer == IDOK;
        case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
        case MB_YESNO: return answer == IDYES || answer == IDNO;
        case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
        case MB_RETRYCANCEL: return answer == IDRETRY || answer == IDCANCEL;
        case MB_ABORTRETRYIGNORE: return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
    }
    return false;
}

// Appends the default extension when the chosen name has none, as the system dialog does.
std::string with_default_extension(const std::string& path, const char* ext) {
    if (!ext || !*ext) return path;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find('.') != std::string::npos) return path;
    return path + "." + utf8(ext);
}

BOOL run_file_dialog(LPOPENFILENAMEA ofn, bool save) {
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) return FALSE;
    cw::automation::FileDialogRecord rec{};
    rec.save = save;
    rec.owner = ofn->hwndOwner;
    rec.title = utf8(ofn->lpstrTitle);
    rec.initial_name = utf8(ofn->lpstrFile);
    rec.filter = filter_pairs(ofn->lpstrFilter);
    rec.default_ext = utf8(ofn->lpstrDefExt);
    rec.flags = ofn->Flags;
    rec.struct_size = ofn->lStructSize;

    std::string chosen;  // UTF-8 file system path
    bool ok = false;
    if (cw::automation::active()) {
        auto a =
            cw::automation::take_answer(save ? cw::automation::Answer::Save : cw::automation::Answer::Open);
        if (!a)
            cw::automation::fail(std::string("a ") + (save ? "save" : "open") + " dialog \"" + rec.title +
                                 "\" opened with no queued answer");
        if (!a->cancel) {
            chosen = QFileInfo(QString::fromStdString(a->path)).absoluteFilePath().toStdString();
            chosen = with_default_extension(chosen, ofn->lpstrDefExt);
            const QFileInfo info(QString::fromStdString(chosen));
            if ((ofn->Flags & OFN_FILEMUSTEXIST) && !info.exists())
                cw::automation::fail("the open dialog only accepts an existing file: " + chosen);
            if ((ofn->Flags & OFN_PATHMUSTEXIST) && !info.absoluteDir().exists())
                cw::automation::fail("the file dialog only accepts an existing folder: " + chosen);
            ok = true;
        }
    } else {
        QFileDialog dlg(owner_widget(ofn->hwndOwner), QString::fromStdString(rec.title));
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(
            save ? QFileDialog::AnyFile
                 : ((ofn->Flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
        // Overwriting is asked about by the program itself.
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
        QStringList filters;
        qt_filter(rec.filter, &filters);
        if (!filters.isEmpty()) {
            dlg.setNameFilters(filters);
            const int index = ofn->nFilterIndex > 0 ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
            if (index < filters.size()) dlg.selectNameFilter(filters[index]);
        }
        if (ofn->lpstrDefExt && *ofn->lpstrDefExt)
            dlg.setDefaultSuffix(QString::fromStdString(rec.default_ext));
        if (ofn->lpstrInitialDir && *ofn->lpstrInitialDir)
            dlg.setDirectory(QString::fromStdString(utf8(ofn->lpstrInitialDir)));
        if (!rec.initial_name.empty()) dlg.selectFile(QString::fromStdString(rec.initial_name));
        if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
            chosen = dlg.selectedFiles().front().toStdString();
            ok = true;
        }
    }
    if (ok) {
        bool lossless = true;
        const std::string cp932 = cw::text::utf8_to_cp932(chosen, &lossless);
        if (!lossless || cp932.size() + 1 > ofn->nMaxFile) {
            // A name the program could not hold exactly would open or overwrite the wrong file.
            const std::string why = cw::text::utf8_to_cp932(
                lossless ? "ファイル名が長すぎます．" : "このファイル名には使えない文字が含まれています．");
            MessageBoxA(ofn->hwndOwner, why.c_str(), ofn->lpstrTitle, MB_OK | MB_ICONERROR);
            ok = false;
        } else {
            std::memcpy(ofn->lpstrFile, cp932.c_str(), cp932.size() + 1);
            const size_t slash = cp932.find_last_of('/');
            ofn->nFileOffset = static_cast<WORD>(slash == std::string::npos ? 0 : slash + 1);
            const size_t dot = cp932.find_last_of('.');
            ofn->nFileExtension =
                static_cast<WORD>(dot == std::string::npos || dot < ofn->nFileOffset ? 0 : dot + 1);
            rec.result = chosen;
        }
    }
    cw::automation::file_dialogs().push_back(rec);
    return ok ? TRUE : FALSE;
}

}  // namespace

bool dialog_key(Window* w, int qt_key) {
    if (!w || !w->dialog) return false;
    if (qt_key == Qt::Key_Escape) {
        SendMessageA(w->handle, WM_COMMAND, IDCANCEL,
                     reinterpret_cast<LPARAM>(GetDlgItem(w->handle, IDCANCEL)));
        return true;
    }
    if (qt_key == Qt::Key_Return || qt_key == Qt::Key_Enter) {
        int id = IDOK;
        for (Window* c : w->children)
            if (c->cls && c->cls->name == "BUTTON" && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                id = static_cast<int>(c->id);
        HWND b = GetDlgItem(w->handle, id);
        if (b && !IsWindowEnabled(b)) return true;
        SendMessageA(w->handle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
        return true;
    }
    return false;
}

}  // namespace cw::qt

using namespace cw::qt;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    ensure_application();
    cw::automation::MessageBoxRecord rec{owner, utf8(text), utf8(caption ? caption : "Error"), type, 0};
    int answer = 0;
    if (cw::automation::active()) {
        auto a = cw::automation::take_answer(cw::automation::Answer::Box);
        if (!a)
            cw::automation::fail("a message box opened with no queued answer: \"" + rec.caption + "\": \"" +
                                 rec.text + "\"");
        answer = a->value;
        if (!valid_answer(type, answer))
            cw::automation::fail("the queued answer " + std::to_string(answer) +
                                 " is not a button of the box \"" + rec.caption + "\"");
    } else {
        QMessageBox box(owner_widget(owner));
        box.setWindowTitle(QString::fromStdString(rec.caption));
        box.setText(QString::fromStdString(rec.text));
        switch (type & MB_ICONMASK) {
            case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
            case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
            case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
            case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
        }
        switch (type & MB_TYPEMASK) {
            case MB_OK: box.setStandardButtons(QMessageBox::Ok); break;
            case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
            case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
            case MB_YESNOCANCEL:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                break;
            case MB_RETRYCANCEL: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
            case MB_ABORTRETRYIGNORE:
                box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
                break;
        }
        // The program's windows stay inactive while the box is up, as they would behind a system box.
        cw::win::Window* previous = cw::win::active_window();
        if (previous) cw::win::activate(nullptr, WA_INACTIVE);
        answer = answer_for(type, box.exec());
        if (previous && cw::win::window_from(previous->handle)) cw::win::activate(previous, WA_ACTIVE);
    }
    rec.answer = answer;
    cw::automation::message_boxes().push_back(rec);
    return answer;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) {
    return run_file_dialog(ofn, false);
}
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) {
    return run_file_dialog(ofn, true);
}
DWORD CommDlgExtendedError() {
    return 0;
}

namespace {

constexpr int kCustomColours = 16;

// CC_PREVENTFULLOPEN: the custom colours are out of reach. Qt's dialog keeps them
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

bool run_colour_dialog(CHOOSECOLORA* cc, const QColor& initial, COLORREF* result) {
    const bool full = !(cc->Flags & CC_PREVENTFULLOPEN);
    if (cc->lpCustColors)
        for (int i = 0; i < kCustomColours; ++i)
            QColorDialog::setCustomColor(i, to_qcolor(cc->lpCustColors[i]));
    QColorDialog dlg(initial, owner_widget(cc->hwndOwner));
    dlg.setOption(QColorDialog::DontUseNativeDialog, true);
    if (!full) hide_custom_colours(dlg);
    if (dlg.exec() != QDialog::Accepted) return false;
    const QColor c = dlg.selectedColor();
    *result = RGB(c.red(), c.green(), c.blue());
    if (cc->lpCustColors && full)
        for (int i = 0; i < kCustomColours; ++i) {
            const QColor k = QColorDialog::customColor(i);
            cc->lpCustColors[i] = RGB(k.red(), k.green(), k.blue());
        }
    return true;
}

}  // namespace

BOOL ChooseColorA(CHOOSECOLORA* cc) {
    if (!cc) return FALSE;
    ensure_application();
    cw::automation::ColorDialogRecord rec{};
    rec.owner = cc->hwndOwner;
    rec.initial = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
    rec.flags = cc->Flags;
    if (cc->lpCustColors) rec.custom.assign(cc->lpCustColors, cc->lpCustColors + kCustomColours);
    COLORREF result = 0;
    if (cw::automation::active()) {
        auto a = cw::automation::take_answer(cw::automation::Answer::Color);
        if (!a) cw::automation::fail("a colour dialog opened with no queued answer");
        rec.chosen = !a->cancel;
        result = static_cast<COLORREF>(a->value) & 0x00FFFFFF;
    } else {
        rec.chosen = run_colour_dialog(cc, to_qcolor(rec.initial), &result);
    }
    if (rec.chosen) cc->rgbResult = rec.result = result;
    cw::automation::color_dialogs().push_back(rec);
    return rec.chosen ? TRUE : FALSE;
}
