#pragma once

#include "platform/Desktop.h"

// Hands everything on to another desktop; the CLI's window operations derive from it and change
// one thing each (messages kept back, a question answered, a file chosen).
class ForwardingDesktop : public Desktop {
public:
    explicit ForwardingDesktop(Desktop &inner) : m_inner(inner) {}
    void showMessage(const std::string &text, Icon icon, const std::string &caption) override
    {
        m_inner.showMessage(text, icon, caption);
    }
    bool askYesNo(const std::string &text, const std::string &caption) override { return m_inner.askYesNo(text, caption); }
    std::optional<std::string> chooseOpenFile(const std::string &title, const std::vector<FileFilter> &filters,
                                              const std::string &defaultName) override
    {
        return m_inner.chooseOpenFile(title, filters, defaultName);
    }
    bool startProgram(const std::string &program, const std::vector<std::string> &arguments) override
    {
        return m_inner.startProgram(program, arguments);
    }
    bool openUrl(const std::string &url) override { return m_inner.openUrl(url); }
    EncoderResult runEncoder(const std::string &program, const std::vector<std::string> &arguments,
                             const std::string &workingFolder, bool minimized) override
    {
        return m_inner.runEncoder(program, arguments, workingFolder, minimized);
    }
    void processEvents() override { m_inner.processEvents(); }
    void exitProgram(int status) override { m_inner.exitProgram(status); }

protected:
    Desktop &m_inner;
};
