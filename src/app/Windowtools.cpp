#include "Windowtools.h"

void AdjustFormSize(TFormBorderStyle border, TCreateParams &params, SystemMetricFn metric)
{
  if (border != bsSingle && border != bsDialog && border != bsToolWindow)
    return;
  const int designedFrame = 3;
  params.Width += 2 * (metric(SM_CXDLGFRAME) - designedFrame);
  params.Height += metric(SM_CYDLGFRAME) - designedFrame;
}
