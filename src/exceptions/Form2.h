#pragma once
#include "../platform/Window.h"

// The exceptions dialog; created hidden at start.
class TForm2 : public CWindow
{
public:
  TForm2();
};

extern TForm2 *Form2;
