#pragma once
// Work that must happen when a scope ends, however it ends: a clipboard closed again, a mode put
// back, a half-written file removed, a hook restored. Written once beside the work it undoes, so
// that no early return or exception can skip it.

#include <exception>
#include <utility>

namespace vlz {

// Runs `undo` when the scope ends, normally or by an exception. An undo that fails on a normal
// end raises its error as any statement there would; one that fails while an exception leaves
// the scope is dropped, so that the first failure is the one that reaches the user.
template <class Undo>
class TScopeExit {
  public:
    explicit TScopeExit(Undo undo)
        : FUndo(std::move(undo)), FExceptionsAtStart(std::uncaught_exceptions()) {}
    ~TScopeExit() noexcept(false) {
        if (std::uncaught_exceptions() == FExceptionsAtStart) {
            FUndo();
            return;
        }
        try {
            FUndo();
        } catch (...) {
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

  private:
    Undo FUndo;
    int FExceptionsAtStart;
};

// Runs `undo` only when the scope is left by an exception, which then goes on as before (a
// failing undo is dropped).
template <class Undo>
class TScopeFailure {
  public:
    explicit TScopeFailure(Undo undo)
        : FUndo(std::move(undo)), FExceptionsAtStart(std::uncaught_exceptions()) {}
    ~TScopeFailure() {
        if (std::uncaught_exceptions() == FExceptionsAtStart) {
            return;
        }
        try {
            FUndo();
        } catch (...) {
        }
    }
    TScopeFailure(const TScopeFailure&) = delete;
    TScopeFailure& operator=(const TScopeFailure&) = delete;

  private:
    Undo FUndo;
    int FExceptionsAtStart;
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
