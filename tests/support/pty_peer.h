#pragma once

#include "simulator/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <string>

#include <termios.h>

// One end of a line played by a test (a controller, a device): the program under test opens the
// other end, by its own name or by `link` when one is given.
class PtyPeer {
public:
    explicit PtyPeer(const std::string& link = {})
    {
        std::string error;
        EXPECT_TRUE(m_line.Create(error)) << error;
        if (!link.empty()) {
            EXPECT_TRUE(m_line.Link(link, error)) << error;
        }
    }
    const std::string& Port() const { return m_line.SlavePath(); }
    CPseudoTerminal& Line() { return m_line; }

    // True once a program has the port open with its line settings made (bad bytes marked).
    bool Opened() const
    {
        termios settings{};
        return m_line.ClientPresent() && tcgetattr(m_line.MasterDescriptor(), &settings) == 0
            && (settings.c_iflag & PARMRK);
    }

private:
    CPseudoTerminal m_line;
};
