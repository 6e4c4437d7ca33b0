#include "app/Program.h"

#include "app/Communal.h"
#include "app/UfrmColor.h"
#include "app/UfrmMain.h"
#include "app/UfrmPlay.h"
#include "app/UfrmPrint.h"
#include "app/UfrmSelectModel.h"
#include "chart/ChartLibrary.h"
#include "dataedit/CalculatorX.h"
#include "dataedit/DbUtilsX.h"
#include "dataedit/PropFilerX.h"
#include "dataedit/ToolCtrlsX.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXUnit.h"
#include "effects/EffectsBitmap.h"
#include "effects/EffectsProbes.h"
#include "platform/classes/units.h"
#include "platform/forms/forms.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/graphics/graphics.h"
#include "platform/graphics/pictures.h"
#include "platform/printers/printers.h"

namespace {

// The imaging binding: started before any window exists, stopped after the last one is gone.
ULONG_PTR GdiplusToken = 0;

void StartImaging() {
  GdiplusStartupInput input;
  input.GdiplusVersion = 1;
  GdiplusStartup(&GdiplusToken, &input, nullptr);
}

void StopImaging() {
  GdiplusShutdown(GdiplusToken);
  GdiplusToken = 0;
}

}  // namespace

namespace Program {

void AddUnits() {
  // Class library: the application object and the screen, the bitmap format.
  AddUnit("Forms", &FormsUnit::Initialize, &FormsUnit::Finalize);
  AddUnit("Graphics", &GraphicsUnit::Initialize, &GraphicsUnit::Finalize);
  AddUnit("Printers", &PrintersUnit::Initialize, &PrintersUnit::Finalize);
  // Picture formats and imaging.
  AddUnit("jpeg", &JpegUnit::Initialize, &JpegUnit::Finalize);
  AddUnit("GDIPAPI", &StartImaging, &StopImaging);
  // The chart library: message table, canvas settings, filters, shapes, engine, registries.
  ChartLibrary::AddUnits();
  AddUnit("GIFImage", &GifImageUnit::Initialize, &GifImageUnit::Finalize);
  // The editor library's units with start-up work, in the library's order.
  AddUnit("PropFilerX", &PropFilerX::Initialize, &PropFilerX::Finalize);
  AddUnit("ToolCtrlsX", &ToolCtrlsXUnit::Initialize, &ToolCtrlsXUnit::Finalize);
  AddUnit("CalculatorX", &CalculatorXUnit::Initialize, &CalculatorXUnit::Finalize);
  AddUnit("DBGridXFindDlgs", &DBGridXFindDlgs::Initialize, &DBGridXFindDlgs::Finalize);
  AddUnit("DbUtilsX", &DbUtilsX::Initialize, &DbUtilsX::Finalize);
  AddUnit("DBGridX", &DBGridXUnit::Initialize, &DBGridXUnit::Finalize);
  AddUnit("DBGridXImpExp", &DBGridXClipboard::Initialize, &DBGridXClipboard::Finalize);
  // The effects bitmap, then its probes: the probes replace the routine table entries they improve.
  AddUnit("EffectsBitmap", &EffectsBitmapUnit::Initialize, &EffectsBitmapUnit::Finalize);
  AddUnit("EffectsProbes", &EffectsProbesUnit::Initialize, &EffectsProbesUnit::Finalize);
  // The application's units.
  AddUnit("Communal", &Communal::Initialize, &Communal::Finalize);
  AddUnit("UfrmPlay", &UfrmPlay::Initialize, &UfrmPlay::Finalize);
  AddUnit("UfrmPrint", &UfrmPrint::Initialize, &UfrmPrint::Finalize);
  AddUnit("UfrmColor", &UfrmColor::Initialize, &UfrmColor::Finalize);
  AddUnit("pngimage", &PngImageUnit::Initialize, &PngImageUnit::Finalize);
  AddUnit("UfrmSelectModel", &UfrmSelectModel::Initialize, &UfrmSelectModel::Finalize);
  AddUnit("UfrmMain", &UfrmMain::Initialize, &UfrmMain::Finalize);
}

void CreateForms() {
  // The pictures the windows read while they are made are decoded meanwhile on other cores.
  UfrmMain::StartPrefetch();
  UfrmPrint::StartPrefetch();
  UfrmSelectModel::StartPrefetch();
  Application->Initialize();
  Application->CreateForm(frmMain);
  Application->CreateForm(frmSelectModel);
  Application->CreateForm(frmColorConfigure);
  Application->CreateForm(frmPrint);
  Application->CreateForm(frmPlay);
}

void Shutdown() {
  if (Application) Application->DestroyForms();
  FinalizeUnits();
}

int Run() {
  AddUnits();
  InitializeUnits();
  CreateForms();
  Application->Run();
  Shutdown();
  return 0;
}

}  // namespace Program
