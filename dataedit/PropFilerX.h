#pragma once
// Stored settings of a component read back through a proxy: for a class of target objects a registry
// names an interceptor class, whose published properties are the pseudo-properties a settings store
// writes and reads for such a target. After the values are read into the interceptor, ApplyReadValues
// applies them to the target. The unit registers the interceptor of forms (position, size, window state,
// active control, scaled between screen resolutions); the grid registers those of its columns.

#include <functional>
#include <memory>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/forms/forms.h"

class TStoragePropertyInterceptor;

// An interceptor class: its class reference and its virtual constructor.
struct TInterceptorClassInfo {
  TClass Class;
  TStoragePropertyInterceptor* (*Create)(TPersistent* ATarget);
};
using TStoragePropertyInterceptorClass = const TInterceptorClassInfo*;

class TStoragePropertyInterceptor : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TStoragePropertyInterceptor, TPersistent)
  static void DeclarePublished(TPublished<TStoragePropertyInterceptor>&) {}
  explicit TStoragePropertyInterceptor(TPersistent* ATarget) : FIntercepted(ATarget) {}
  static TStoragePropertyInterceptorClass InterceptorClass();

  TPersistent* Intercepted() const { return FIntercepted; }
  virtual bool InterceptionWanted() { return true; }
  virtual void ApplyReadValues() {}

 private:
  TPersistent* FIntercepted;
};

class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
  DECLARE_PUBLISHED_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
  static void DeclarePublished(TPublished<TFormStoragePropertyInterceptor>& P);
  explicit TFormStoragePropertyInterceptor(TPersistent* ATarget);
  static TStoragePropertyInterceptorClass InterceptorClass();

  // The target form's restored bounds; 0 for a target that is no form.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int Value) { FLeft = Value; FPositionRead = true; }
  void SetTop(int Value) { FTop = Value; FPositionRead = true; }
  void SetWidth(int Value) { FWidth = Value; }
  void SetHeight(int Value) { FHeight = Value; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  void SetWindowState(TWindowState Value) { FWindowState = Value; }
  void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
  bool PositionRead() const { return FPositionRead; }

  void ApplyReadValues() override;

 private:
  TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(Intercepted()); }
  TWinControl* FActiveControl = nullptr;
  int FHeight = 0, FLeft = 0, FPixelsPerInch = 0, FTop = 0, FWidth = 0;
  TWindowState FWindowState = wsNormal;
  bool FPositionRead = false;
};

// Replaces every earlier entry for the target class.
void RegisterPropertyInterceptor(TClass TargetClass, TStoragePropertyInterceptorClass InterceptorClass);
// Removes every entry with exactly this pair.
void RemovePropertyInterceptor(TClass TargetClass, TStoragePropertyInterceptorClass InterceptorClass);
// The interceptor class of the target's class or of its nearest registered ancestor; nullptr when none.
TStoragePropertyInterceptorClass FindPropertyInterceptor(TClass TargetClass);

namespace PropFilerX {
void Initialize();
void Finalize();
}  // namespace PropFilerX
