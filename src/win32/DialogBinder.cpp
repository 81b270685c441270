#include "win32/DialogBinder.h"

#include "win32/WideText.h"

#include <commctrl.h>

#include <utility>

namespace {

std::wstring className(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool isClass(HWND window, const wchar_t *name)
{
    return lstrcmpiW(className(window).c_str(), name) == 0;
}

LONG_PTR style(HWND window)
{
    return GetWindowLongPtrW(window, GWL_STYLE);
}

// Text the user can type into and the window reads when it is committed.
bool isTypedText(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::EditableDropDown;
}

std::string rowText(HWND list, int row, bool comboBox)
{
    const UINT lengthMessage = comboBox ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT textMessage = comboBox ? CB_GETLBTEXT : LB_GETTEXT;
    const LRESULT length = SendMessageW(list, lengthMessage, WPARAM(row), 0);
    if (row < 0 || length < 0)
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    SendMessageW(list, textMessage, WPARAM(row), LPARAM(text.data()));
    text.resize(std::size_t(length));
    return utf8(text);
}

std::vector<int> selectedRows(HWND list)
{
    const LRESULT count = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    if (count <= 0)
        return {};
    std::vector<int> rows(static_cast<std::size_t>(count));
    const LRESULT got = SendMessageW(list, LB_GETSELITEMS, WPARAM(count), LPARAM(rows.data()));
    rows.resize(std::size_t(got > 0 ? got : 0));
    return rows;
}

std::string joinedLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

} // namespace

DialogBinder::DialogBinder(HWND dialog, Source controls) : m_dialog(dialog), m_source(std::move(controls)) {}

// ---- Routes ------------------------------------------------------------------------------------

DialogBinder &DialogBinder::on(int id, Handler handler)
{
    m_routes[id] = std::move(handler);
    return *this;
}

DialogBinder &DialogBinder::onClick(int id, std::function<void()> command)
{
    return on(id, [command = std::move(command)](const ControlEvent &) { command(); });
}

DialogBinder &DialogBinder::onCheck(int id, std::function<void(bool)> command)
{
    return on(id, [command = std::move(command)](const ControlEvent &e) { command(e.checked); });
}

DialogBinder &DialogBinder::onText(int id, std::function<void(const std::string &)> command)
{
    return on(id, [command = std::move(command)](const ControlEvent &e) { command(e.text); });
}

DialogBinder &DialogBinder::onRow(int id, std::function<void(int)> command)
{
    return on(id, [command = std::move(command)](const ControlEvent &e) {
        if (e.row >= 0)
            command(e.row);
    });
}

DialogBinder &DialogBinder::onRows(int id, std::function<void(const std::vector<int> &, int)> command)
{
    return on(id, [command = std::move(command)](const ControlEvent &e) { command(e.rows, e.row); });
}

DialogBinder &DialogBinder::onSlider(int id, std::function<void(int)> command)
{
    return on(id, [command = std::move(command)](const ControlEvent &e) { command(e.position); });
}

DialogBinder &DialogBinder::onOther(Handler handler)
{
    m_other = std::move(handler);
    return *this;
}

DialogBinder &DialogBinder::focusAfterCommand(std::function<int()> request)
{
    m_focusRequest = std::move(request);
    return *this;
}

DialogBinder &DialogBinder::afterCommand(std::function<void()> check)
{
    m_afterCommand = std::move(check);
    return *this;
}

// ---- Drawing -----------------------------------------------------------------------------------

void DialogBinder::render()
{
    if (m_detached)
        return;
    m_table = m_source();
    m_rendering = true;
    for (const Control &control : m_table.all())
        if (HWND handle = GetDlgItem(m_dialog, control.id))
            renderControl(control, handle);
    m_rendering = false;
}

void DialogBinder::setRows(HWND handle, const Control &control, UINT reset, UINT add)
{
    std::vector<std::string> &shown = m_rowsShown[control.id];
    if (shown == control.rows && SendMessageW(handle, reset == LB_RESETCONTENT ? LB_GETCOUNT : CB_GETCOUNT, 0, 0)
                                     == LRESULT(control.rows.size()))
        return;
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    SendMessageW(handle, reset, 0, 0);
    for (const std::string &row : control.rows)
        SendMessageW(handle, add, 0, LPARAM(wide(row).c_str()));
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle, nullptr, TRUE);
    shown = control.rows;
}

void DialogBinder::renderControl(const Control &control, HWND handle)
{
    const LONG_PTR flags = style(handle);
    if (bool(flags & WS_VISIBLE) != control.visible)
        ShowWindow(handle, control.visible ? SW_SHOWNA : SW_HIDE);
    if (bool(IsWindowEnabled(handle)) != control.enabled)
        EnableWindow(handle, control.enabled);

    switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::Group:
    case ControlKind::Button:
    case ControlKind::Edit:
        if (windowText(handle) != control.text)
            setWindowText(handle, control.text);
        if (control.kind == ControlKind::Edit && bool(flags & ES_READONLY) != control.readOnly)
            SendMessageW(handle, EM_SETREADONLY, control.readOnly, 0);
        break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        if (windowText(handle) != control.text)
            setWindowText(handle, control.text);
        if ((SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED) != control.checked)
            SendMessageW(handle, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::TextBox: {
        const std::string text = joinedLines(control.rows);
        const std::string current = windowText(handle);
        if (current != text) {
            // A log grows at its end: append, so the view does not jump back to the top.
            const int length = GetWindowTextLengthW(handle);
            if (!current.empty() && text.compare(0, current.size(), current) == 0) {
                SendMessageW(handle, EM_SETSEL, WPARAM(length), LPARAM(length));
                SendMessageW(handle, EM_REPLACESEL, FALSE, LPARAM(wide(text.substr(current.size())).c_str()));
            } else {
                setWindowText(handle, text);
            }
            // The last line in view, from its start.
            const LRESULT lines = SendMessageW(handle, EM_GETLINECOUNT, 0, 0);
            const LRESULT last = SendMessageW(handle, EM_LINEINDEX, WPARAM(lines - 1), 0);
            SendMessageW(handle, EM_SETSEL, WPARAM(last), LPARAM(last));
            SendMessageW(handle, EM_SCROLLCARET, 0, 0);
        }
        break;
    }
    case ControlKind::List:
        setRows(handle, control, LB_RESETCONTENT, LB_ADDSTRING);
        if (SendMessageW(handle, LB_GETCURSEL, 0, 0) != control.selected)
            SendMessageW(handle, LB_SETCURSEL, WPARAM(control.selected), 0);
        break;
    case ControlKind::MultiList:
        setRows(handle, control, LB_RESETCONTENT, LB_ADDSTRING);
        if (selectedRows(handle) != control.selectedRows) {
            SendMessageW(handle, LB_SETSEL, FALSE, -1);
            for (int row : control.selectedRows)
                SendMessageW(handle, LB_SETSEL, TRUE, row);
        }
        if (control.selected >= 0 && SendMessageW(handle, LB_GETCARETINDEX, 0, 0) != control.selected)
            SendMessageW(handle, LB_SETCARETINDEX, WPARAM(control.selected), FALSE);
        break;
    case ControlKind::DropDown:
        setRows(handle, control, CB_RESETCONTENT, CB_ADDSTRING);
        if (SendMessageW(handle, CB_GETCURSEL, 0, 0) != control.selected)
            SendMessageW(handle, CB_SETCURSEL, WPARAM(control.selected), 0);
        break;
    case ControlKind::EditableDropDown:
        setRows(handle, control, CB_RESETCONTENT, CB_ADDSTRING);
        if (windowText(handle) != control.text)
            setWindowText(handle, control.text);
        break;
    case ControlKind::Slider:
        if (SendMessageW(handle, TBM_GETRANGEMIN, 0, 0) != control.minimum
            || SendMessageW(handle, TBM_GETRANGEMAX, 0, 0) != control.maximum) {
            SendMessageW(handle, TBM_SETRANGEMIN, FALSE, control.minimum);
            SendMessageW(handle, TBM_SETRANGEMAX, TRUE, control.maximum);
        }
        if (SendMessageW(handle, TBM_GETPOS, 0, 0) != control.position)
            SendMessageW(handle, TBM_SETPOS, TRUE, control.position);
        m_positions[control.id] = control.position;
        break;
    }
}

// ---- Forwarding --------------------------------------------------------------------------------

bool DialogBinder::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlEvent event;
    HWND handle = nullptr;
    if (message == WM_COMMAND) {
        handle = HWND(lParam);
        event.id = LOWORD(wParam);
        // A menu entry or an accelerator has no control; Escape and the close box give IDCANCEL
        // without one when the template has no such button, Enter IDOK.
        if (!handle && event.id != IDOK && event.id != IDCANCEL)
            return false;
    } else if (message == WM_HSCROLL || message == WM_VSCROLL) {
        handle = HWND(lParam);
        if (!handle)
            return false;
        event.id = GetDlgCtrlID(handle);
    } else {
        return false;
    }
    const Control *control = m_table.find(event.id);
    if (!control) {
        // Enter where no enabled default button can take it gives IDOK; in a window without an
        // OK button it applies the edit that has the focus.
        if (message == WM_COMMAND && event.id == IDOK && !m_rendering && !m_running && !m_detached)
            return commitFocusedEdit();
        return false;
    }
    event.kind = control->kind;
    // Only Enter presses a hidden default button: the window keeps Enter from pressing any
    // other, and it applies the edit that has the focus.
    if (control->kind == ControlKind::Button && !control->visible && message == WM_COMMAND
        && HIWORD(wParam) == BN_CLICKED) {
        if (!m_rendering && !m_running && !m_detached)
            commitFocusedEdit();
        return true;
    }
    // Drawing sends notifications of its own; a running command may move the focus. A control
    // the window shows disabled or hidden takes no action, whoever sends the notification.
    if (m_rendering || m_running || m_detached || !control->enabled || !control->visible)
        return true;

    const WORD code = HIWORD(wParam);
    switch (control->kind) {
    case ControlKind::Button: {
        if (message != WM_COMMAND || code != BN_CLICKED)
            return true;
        const bool enter = GetKeyState(VK_RETURN) < 0;
        if (event.id != IDCANCEL && commitFocusedEdit() && enter && event.id != IDOK)
            return true; // Enter in an edit applies the edit; it does not press the default button
        break;
    }
    case ControlKind::CheckBox: {
        if (message != WM_COMMAND || code != BN_CLICKED)
            return true;
        const bool ticked = SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
        const LONG_PTR type = style(handle) & BS_TYPEMASK;
        // An automatic box has already turned; a plain one leaves the turning to the window.
        event.checked = type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE ? ticked : !ticked;
        break;
    }
    case ControlKind::RadioButton:
        if (message != WM_COMMAND || code != BN_CLICKED)
            return true;
        event.checked = true;
        break;
    case ControlKind::Edit:
        if (message != WM_COMMAND || code != EN_KILLFOCUS || control->readOnly || !control->enabled)
            return true;
        event.text = windowText(handle);
        break;
    case ControlKind::List:
    case ControlKind::MultiList:
        if (message != WM_COMMAND || code != LBN_SELCHANGE)
            return true;
        if (control->kind == ControlKind::MultiList) {
            event.rows = selectedRows(handle);
            event.row = int(SendMessageW(handle, LB_GETCARETINDEX, 0, 0));
        } else {
            event.row = int(SendMessageW(handle, LB_GETCURSEL, 0, 0));
            event.text = rowText(handle, event.row, false);
        }
        break;
    case ControlKind::DropDown:
    case ControlKind::EditableDropDown:
        if (message != WM_COMMAND)
            return true;
        if (code == CBN_SELCHANGE) {
            event.row = int(SendMessageW(handle, CB_GETCURSEL, 0, 0));
            event.text = rowText(handle, event.row, true);
        } else if (code == CBN_KILLFOCUS && control->kind == ControlKind::EditableDropDown) {
            event.text = windowText(handle);
        } else {
            return true;
        }
        break;
    case ControlKind::Slider: {
        if (message == WM_COMMAND)
            return true;
        event.position = int(SendMessageW(handle, TBM_GETPOS, 0, 0));
        const auto last = m_positions.find(event.id);
        if (last != m_positions.end() && last->second == event.position)
            return true; // the end of a drag, or a key at the end of the range
        m_positions[event.id] = event.position;
        break;
    }
    case ControlKind::Label:
    case ControlKind::Group:
    case ControlKind::TextBox:
        return true;
    }
    dispatch(event);
    return true;
}

bool DialogBinder::commitFocusedEdit()
{
    HWND focus = GetFocus();
    if (!focus || !IsChild(m_dialog, focus))
        return false;
    // The edit of an editable drop-down is the drop-down's child.
    HWND owner = GetParent(focus) != m_dialog && GetParent(GetParent(focus)) == m_dialog ? GetParent(focus) : focus;
    const Control *control = m_table.find(GetDlgCtrlID(owner));
    if (!control || !isTypedText(control->kind) || control->readOnly || !control->enabled)
        return false;
    ControlEvent event;
    event.id = control->id;
    event.kind = control->kind;
    event.text = windowText(owner);
    dispatch(event);
    return true;
}

void DialogBinder::dispatch(const ControlEvent &event)
{
    const auto route = m_routes.find(event.id);
    const Handler *handler = route != m_routes.end() ? &route->second : m_other ? &m_other : nullptr;
    if (!handler)
        return;
    run([&] { (*handler)(event); });
}

void DialogBinder::run(const std::function<void()> &command)
{
    if (m_running || m_detached)
        return;
    m_running = true;
    command();
    if (m_afterCommand)
        m_afterCommand();
    m_running = false;
    render();
    if (m_focusRequest && !m_detached)
        if (const int id = m_focusRequest())
            if (HWND target = GetDlgItem(m_dialog, id))
                PostMessageW(m_dialog, WM_NEXTDLGCTL, WPARAM(target), TRUE);
}

// ---- Template checks ---------------------------------------------------------------------------

bool DialogBinder::fits(HWND control, ControlKind kind)
{
    const LONG_PTR flags = style(control);
    const LONG_PTR button = flags & BS_TYPEMASK;
    switch (kind) {
    case ControlKind::Label:
        return isClass(control, L"Static") || (isClass(control, L"Edit") && (flags & ES_READONLY));
    case ControlKind::Group: return isClass(control, L"Button") && button == BS_GROUPBOX;
    case ControlKind::Button:
        return isClass(control, L"Button") && (button == BS_PUSHBUTTON || button == BS_DEFPUSHBUTTON);
    case ControlKind::CheckBox:
        return isClass(control, L"Button") && (button == BS_CHECKBOX || button == BS_AUTOCHECKBOX);
    case ControlKind::RadioButton:
        return isClass(control, L"Button") && (button == BS_RADIOBUTTON || button == BS_AUTORADIOBUTTON);
    case ControlKind::Edit: return isClass(control, L"Edit") && !(flags & ES_MULTILINE);
    case ControlKind::TextBox: return isClass(control, L"Edit") && (flags & ES_MULTILINE);
    case ControlKind::List:
        return isClass(control, L"ListBox") && (flags & LBS_NOTIFY) && !(flags & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL));
    case ControlKind::MultiList:
        return isClass(control, L"ListBox") && (flags & LBS_NOTIFY) && (flags & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL));
    case ControlKind::DropDown: return isClass(control, L"ComboBox") && (flags & 3) == CBS_DROPDOWNLIST;
    case ControlKind::EditableDropDown: return isClass(control, L"ComboBox") && (flags & 3) == CBS_DROPDOWN;
    case ControlKind::Slider: return isClass(control, TRACKBAR_CLASSW);
    }
    return false;
}
