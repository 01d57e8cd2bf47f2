#pragma once
// Commands are numbers. A menu item, a tool-bar button and a key all name a command id; the
// frame offers the id to a chain of targets (the active view, its document, the frame, the
// application) and the first target that knows the id runs it. Before a menu opens and after
// every command, the frame asks the same chain for each visible command's state, so that
// enable and check marks are decided by plain classes that tests drive without a window.

#include <string>
#include <vector>

// What a target says about one command: whether it can run now, its check mark, and,
// when bTextSet, a menu text that replaces the static one ("&Undo Typing").
struct SCommandState
{
    bool bEnabled = true;
    bool bChecked = false;
    bool bTextSet = false;
    std::string strText;

    void SetText(std::string text)
    {
        strText = std::move(text);
        bTextSet = true;
    }
};

class CCommandTarget
{
public:
    virtual ~CCommandTarget() = default;
    // Fills the state of nId and returns true when this target handles nId.
    virtual bool OnUpdateCommand(int nId, SCommandState& state)
    {
        (void)nId;
        (void)state;
        return false;
    }
    // Runs nId and returns true when this target handles it.
    virtual bool OnCommand(int nId)
    {
        (void)nId;
        return false;
    }
};

// The routing order for one moment: targets are asked first to last; null entries (no
// active view, no document) are skipped. A command that no target handles is disabled.
class CCommandRoute
{
public:
    void Add(CCommandTarget* pTarget)
    {
        if (pTarget)
            m_targets.push_back(pTarget);
    }

    SCommandState Update(int nId) const
    {
        for (CCommandTarget* pTarget : m_targets)
        {
            SCommandState state;
            if (pTarget->OnUpdateCommand(nId, state))
                return state;
        }
        SCommandState none;
        none.bEnabled = false;
        return none;
    }

    // Runs nId on the first target that handles it and is enabled; false when none ran it.
    bool Run(int nId) const
    {
        for (CCommandTarget* pTarget : m_targets)
        {
            SCommandState state;
            if (pTarget->OnUpdateCommand(nId, state))
                return state.bEnabled && pTarget->OnCommand(nId);
        }
        return false;
    }

private:
    std::vector<CCommandTarget*> m_targets;
};

// One command as menus and tool bars show it. Keys are written as QKeySequence reads them
// in portable form ("Ctrl+Shift+S", "F3"), several separated by "; "; empty for none. The
// menu text carries its "&" mnemonic.
struct SCommandInfo
{
    int nId = 0;
    const char* pszMenuText = "";
    const char* pszKeys = "";
};
