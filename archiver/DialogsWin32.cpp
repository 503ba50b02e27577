// The engine's dialogs as real windows: a task-modal message box, and dialog
// boxes built from in-memory templates for text input and button questions.
// No exception crosses the dialog procedures.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ArchiverRoot.h"
#include "DialogsNative.h"
#include "Messages.h"
#include "TextCodec.h"

namespace kav::dialogs::native {
namespace {

// Dialog units; the template is laid out top to bottom.
constexpr short kWidth = 260, kMargin = 7, kLine = 10, kButtonW = 56, kButtonH = 14;
constexpr int kEditId = 100;

// Builds a DLGTEMPLATE with its items in a word-aligned buffer.
class TemplateBuilder {
public:
    TemplateBuilder(const std::string& caption, short height, int items) {
        Align(4);
        DLGTEMPLATE t{};
        t.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cdit = static_cast<WORD>(items);
        t.cx = kWidth;
        t.cy = height;
        Put(&t, sizeof t);
        Word(0);  // no menu
        Word(0);  // default class
        Text(caption);
        Word(9);  // point size
        Text("Segoe UI");
    }
    void Item(DWORD style, short x, short y, short cx, short cy, int id, WORD cls, const std::string& text) {
        Align(4);
        DLGITEMTEMPLATE it{};
        it.style = style | WS_CHILD | WS_VISIBLE;
        it.x = x;
        it.y = y;
        it.cx = cx;
        it.cy = cy;
        it.id = static_cast<WORD>(id);
        Put(&it, sizeof it);
        Word(0xFFFF);
        Word(cls);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

private:
    void Put(const void* p, size_t n) {
        const auto* b = static_cast<const char*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
        Sync();
    }
    void Word(WORD w) { Put(&w, sizeof w); }
    void Text(const std::string& s) {
        std::wstring w = text::Wide(s);
        Put(w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    }
    void Align(size_t a) {
        while (bytes_.size() % a) bytes_.push_back(0);
        Sync();
    }
    void Sync() {
        data_.assign((bytes_.size() + 3) / 4, 0);
        std::memcpy(data_.data(), bytes_.data(), bytes_.size());
    }

    std::vector<char> bytes_;
    std::vector<DWORD> data_;  // DWORD-aligned copy handed to the system
};

struct InputState {
    std::string* value;
    bool masked;
};

INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (msg == WM_INITDIALOG) {
            auto* s = reinterpret_cast<InputState*>(lp);
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            HWND edit = GetDlgItem(dlg, kEditId);
            SendMessageW(edit, EM_LIMITTEXT, 511, 0);
            if (s->masked) SendMessageW(edit, EM_SETPASSWORDCHAR, L'*', 0);
            SetWindowTextW(edit, text::Wide(*s->value).c_str());
            SetFocus(edit);
            return FALSE;
        }
        if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
            if (LOWORD(wp) == IDOK) {
                auto* s = reinterpret_cast<InputState*>(GetWindowLongPtrW(dlg, DWLP_USER));
                wchar_t buffer[512] = {};
                GetDlgItemTextW(dlg, kEditId, buffer, 512);
                *s->value = text::Narrow(buffer);
            }
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
    } catch (...) {
        EndDialog(dlg, IDCANCEL);
    }
    return FALSE;
}

INT_PTR CALLBACK ButtonProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) noexcept {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

HWND Owner() { return GetActiveWindow(); }

}  // namespace

int ShowMessageBox(const std::string& text, int type, unsigned buttons) {
    const DialogTexts& t = SharedDialogTexts();
    UINT flags = MB_TASKMODAL;
    std::string caption;
    switch (type) {
    case mtWarning: flags |= MB_ICONWARNING; caption = t.Warning; break;
    case mtError: flags |= MB_ICONERROR; caption = t.Error; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; caption = t.Confirmation; break;
    default: flags |= MB_ICONINFORMATION; caption = t.Information; break;
    }
    auto has = [buttons](std::initializer_list<TMsgDlgBtn> l) { return (buttons & Buttons(l)) == Buttons(l); };
    if (has({mbAbort, mbRetry, mbIgnore})) flags |= MB_ABORTRETRYIGNORE;
    else if (has({mbYes, mbNo, mbCancel})) flags |= MB_YESNOCANCEL;
    else if (has({mbYes, mbNo})) flags |= MB_YESNO;
    else if (has({mbRetry, mbCancel})) flags |= MB_RETRYCANCEL;
    else if (has({mbOK, mbCancel})) flags |= MB_OKCANCEL;
    else flags |= MB_OK;
    return ::MessageBoxW(Owner(), text::Wide(text).c_str(), text::Wide(caption).c_str(), flags);
}

bool InputBox(const std::string& caption, const std::string& prompt, std::string& value, bool masked) {
    const DialogTexts& t = SharedDialogTexts();
    TemplateBuilder b(caption, 62, 4);
    b.Item(SS_LEFT, kMargin, kMargin, kWidth - 2 * kMargin, kLine, -1, 0x0082, prompt);
    b.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | (masked ? ES_PASSWORD : 0), kMargin, 20,
           kWidth - 2 * kMargin, 12, kEditId, 0x0081, "");
    b.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, kWidth - 2 * (kButtonW + kMargin), 40, kButtonW, kButtonH, IDOK, 0x0080, t.Ok);
    b.Item(BS_PUSHBUTTON | WS_TABSTOP, kWidth - kButtonW - kMargin, 40, kButtonW, kButtonH, IDCANCEL, 0x0080,
           t.Cancel);
    InputState state{&value, masked};
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), b.Get(), Owner(), InputProc,
                                   reinterpret_cast<LPARAM>(&state)) == IDOK;
}

int ButtonDialog(const std::string& caption, const std::vector<Labelled>& lines, const std::string& question,
                 const std::vector<std::pair<std::string, int>>& buttons) {
    const short rows = static_cast<short>(lines.size() + (question.empty() ? 0 : 1));
    const short buttonsY = static_cast<short>(kMargin + rows * (kLine + 2) + 6);
    int items = 0;
    for (const auto& l : lines) items += l.label.empty() ? 1 : 2;
    items += (question.empty() ? 0 : 1) + static_cast<int>(buttons.size());
    TemplateBuilder b(caption, static_cast<short>(buttonsY + kButtonH + kMargin), items);
    short y = kMargin;
    for (const auto& l : lines) {
        if (!l.label.empty()) b.Item(SS_LEFT, kMargin, y, 50, kLine, -1, 0x0082, l.label);
        b.Item(SS_LEFT | SS_NOPREFIX, kMargin + 52, y, kWidth - 2 * kMargin - 52, kLine, -1, 0x0082, l.value);
        y = static_cast<short>(y + kLine + 2);
    }
    if (!question.empty()) b.Item(SS_LEFT, kMargin, y, kWidth - 2 * kMargin, kLine, -1, 0x0082, question);
    short x = static_cast<short>(kWidth - static_cast<short>(buttons.size()) * (kButtonW + 4) - kMargin + 4);
    bool first = true;
    for (const auto& [text, code] : buttons) {
        b.Item((first ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, x, buttonsY, kButtonW, kButtonH, code, 0x0080,
               text);
        x = static_cast<short>(x + kButtonW + 4);
        first = false;
    }
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), b.Get(), Owner(), ButtonProc, 0);
    // Escape and the close box arrive as IDCANCEL: "closed", unless a
    // button of the dialog itself carries that code.
    bool hasCancel = false;
    for (const auto& button : buttons) hasCancel = hasCancel || button.second == IDCANCEL;
    if (r <= 0 || (r == IDCANCEL && !hasCancel)) return 0;
    return static_cast<int>(r);
}

}  // namespace kav::dialogs::native
