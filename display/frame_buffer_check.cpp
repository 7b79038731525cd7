#include "display/frame_buffer_check.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "files/console_sheet.h"
#include "files/frame_buffer_rules.h"
#include "files/image_loading.h"
#include "project/app_state.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr char kCheckCaption[] = "ﾌﾚｰﾑﾊﾞｯﾌｧの検査";
constexpr char kLoadCaption[] = "ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ";
// More lines than this in a message box would run off the screen; the check lists them all.
constexpr size_t kLinesInAMessage = 6;

frame_buffer::Sheet working() {
    const SheetSource& s = working_sheet();
    frame_buffer::Sheet sheet;
    sheet.colour_mode = s.colour_mode;
    sheet.width = s.width;
    sheet.height = s.height;
    sheet.placed = s.placed ? &s.frame_buffer : nullptr;
    return sheet;
}

std::string label(const char* field) {
    return std::string(field, strnlen(field, kLabelSize));
}

// A problem as the user reads it: the pattern and frame it concerns, then what is wrong.
std::string problem_line(const frame_buffer::Problem& problem) {
    std::string where;
    if (problem.pattern >= 0 && problem.pattern < kMaxPatterns) {
        where = label(g_tables.names.pattern_labels[problem.pattern]);
        if (problem.frame >= 0 && problem.frame < kMaxFrames)
            where += " / " + label(g_tables.names.frame_labels[problem.pattern][problem.frame]);
        where += ": ";
    }
    return where + frame_buffer::problem_text(problem);
}

std::vector<frame_buffer::Problem> project_problems() {
    const frame_buffer::Sheet sheet = working();
    return frame_buffer::check_data(frame_buffer::data_of(g_tables),
                                    working_sheet().loaded ? &sheet : nullptr);
}

struct CheckDialog {
    std::vector<frame_buffer::Problem> problems;
    std::vector<HTREEITEM> items;  // the list's item of each problem
};
CheckDialog* g_dialog = nullptr;

void fill_list(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_PROBLEM_LIST);
    g_dialog->items.clear();
    for (const frame_buffer::Problem& p : g_dialog->problems)
        g_dialog->items.push_back(insert_tree_item(list, TVI_ROOT, TVI_LAST, problem_line(p).c_str()));
}

// The project tree's item of a problem: its frame's, its pattern's, or none for the sheet's.
HTREEITEM item_of(const frame_buffer::Problem& p) {
    if (p.pattern < 0 || p.pattern >= kMaxPatterns) return nullptr;
    if (p.frame >= 0 && p.frame < kMaxFrames) return g_tables.frame_items[p.pattern][p.frame];
    return g_tables.pattern_item[p.pattern];
}

void select_in_project(HTREEITEM chosen) {
    for (size_t i = 0; i < g_dialog->items.size(); ++i) {
        if (g_dialog->items[i] != chosen) continue;
        if (HTREEITEM item = item_of(g_dialog->problems[i]))
            SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
}

void on_notify(const NMHDR* hdr) {
    if (!hdr || hdr->idFrom != IDC_PROBLEM_LIST || hdr->code != TVN_SELCHANGEDA) return;
    select_in_project(reinterpret_cast<const NMTREEVIEWA*>(hdr)->itemNew.hItem);
}

INT_PTR CALLBACK check_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: fill_list(hwnd); return TRUE;
        case WM_NOTIFY: on_notify(reinterpret_cast<const NMHDR*>(lp)); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) EndDialog(hwnd, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void run_frame_buffer_check(HWND owner) {
    CheckDialog dialog{project_problems(), {}};
    if (dialog.problems.empty()) {
        MessageBoxA(owner, "ﾌﾚｰﾑﾊﾞｯﾌｧ上の配置に問題はありません.", kCheckCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    g_dialog = &dialog;
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_FRAME_BUFFER_CHECK), owner, check_dialog_proc, 0);
    g_dialog = nullptr;
}

void report_sheet_problems(const char* path) {
    const frame_buffer::Sheet sheet = working();
    if (!sheet.placed) return;
    // Only the place is told here: that a 24-bit picture cannot be a sprite is no fault of where
    // it lies, and the frame-buffer check lists it with the rest.
    std::vector<frame_buffer::Problem> problems = frame_buffer::check_sheet(sheet);
    std::erase_if(problems, [](const frame_buffer::Problem& p) {
        return p.rule == frame_buffer::Rule::TrueColourSheet;
    });
    if (problems.empty()) return;
    std::string text = path;
    text += "\nはﾌﾚｰﾑﾊﾞｯﾌｧ上の配置に問題があります.\n";
    for (size_t i = 0; i < problems.size() && i < kLinesInAMessage; ++i) {
        text += '\n';
        text += frame_buffer::problem_text(problems[i]);
    }
    if (problems.size() > kLinesInAMessage)
        text += "\nほか" + std::to_string(problems.size() - kLinesInAMessage) + "件";
    text += "\n\nｲﾒｰｼﾞはこのまま読み込みます.";
    MessageBoxA(g_app.main_window, text.c_str(), kLoadCaption, MB_OK | MB_ICONINFORMATION);
}
