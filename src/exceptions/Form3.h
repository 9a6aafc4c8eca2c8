#pragma once
#include "../platform/Window.h"

// The one-line text prompt; created hidden at start.
class TForm3 : public CWindow
{
public:
  TForm3();
};

extern TForm3 *Form3;
