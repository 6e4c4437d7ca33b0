// Making a control for a test: owned by the test's owner, at the given bounds inside Parent.
#pragma once

#include "platform/controls/controls.h"

template <typename T>
T* MakeControl(TComponent* Owner, TWinControl* Parent, int L, int T_, int W, int H) {
  T* c = new T(Owner);
  c->SetBounds(L, T_, W, H);
  c->SetParent(Parent);
  return c;
}
