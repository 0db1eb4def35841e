#pragma once
// Work that must happen when a scope ends, however it ends: a clipboard closed again, a mode put
// back, a half-written file removed, a hook restored. Written once beside the work it undoes, so
// that no early return or exception can skip it.

#include <exception>
#include <utility>

namespace vlz {

// What both guards share: the undo, and whether the scope is being left by an exception that was
// not yet on its way when the guard was made.
template <class Undo>
class TScopeGuard {
  public:
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

  protected:
    explicit TScopeGuard(Undo undo)
        : FUndo(std::move(undo)), FExceptionsAtStart(std::uncaught_exceptions()) {}
    ~TScopeGuard() = default;

    bool LeftByException() const { return std::uncaught_exceptions() > FExceptionsAtStart; }
    // The first failure is the one that reaches the user: a second one, from the undo, is dropped.
    void UndoAfterFailure() noexcept {
        try {
            FUndo();
        } catch (...) {
        }
    }

    Undo FUndo;

  private:
    int FExceptionsAtStart;
};

// Runs `undo` when the scope ends, normally or by an exception. An undo that fails on a normal
// end raises its error as any statement there would.
template <class Undo>
class TScopeExit : public TScopeGuard<Undo> {
  public:
    explicit TScopeExit(Undo undo) : TScopeGuard<Undo>(std::move(undo)) {}
    ~TScopeExit() noexcept(false) {
        if (this->LeftByException()) {
            this->UndoAfterFailure();
        } else {
            this->FUndo();
        }
    }
};

// Runs `undo` only when the scope is left by an exception, which then goes on as before.
template <class Undo>
class TScopeFailure : public TScopeGuard<Undo> {
  public:
    explicit TScopeFailure(Undo undo) : TScopeGuard<Undo>(std::move(undo)) {}
    ~TScopeFailure() {
        if (this->LeftByException()) {
            this->UndoAfterFailure();
        }
    }
};

// Installs a hook implementation for the scope and puts the previous one back at its end.
// `install` is one of the platform's Install…Hook functions: it takes the new implementation and
// returns the one it replaces.
template <class Hook>
class TInstalledHook {
  public:
    using Installer = Hook* (*)(Hook*);
    TInstalledHook(Installer install, Hook* hook) : FInstall(install), FPrevious(install(hook)) {}
    ~TInstalledHook() { FInstall(FPrevious); }
    TInstalledHook(const TInstalledHook&) = delete;
    TInstalledHook& operator=(const TInstalledHook&) = delete;

  private:
    Installer FInstall;
    Hook* FPrevious;
};

}  // namespace vlz
