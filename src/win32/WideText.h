#pragma once

// The core speaks UTF-8; the Windows API speaks UTF-16.

#include <windows.h>

#include <string>

std::wstring wide(const std::string &text);
std::string utf8(const std::wstring &text);
std::string utf8(const wchar_t *text);
// A window's text (a control's caption or content) as UTF-8.
std::string windowText(HWND window);
void setWindowText(HWND window, const std::string &text);
