#pragma once
// The windows of one run, created once at start-up in a fixed order and alive
// until exit. The start-up (app/ui/start_up.cpp) creates them and hands each
// window the others it works with; no window looks another up.

namespace ostrel {

class TFormMain;
class TDlgAboutForm;
class TAutoMsgForm;
class TDigitalMeterForm;
class TAnalogMeterForm;
class TDlgHiLowForm;
class TComparatorForm;
class TGraphicalForm;
class TDialogOption;
class TFormViewGraphic;
class TDlgFitExportForm;
class TMsgForm;
class TDlgExportForm;
class TdlgGraphLineColor;
class TDataStringGridForm;
class TFormImport;

struct AppWindows {
    TFormMain* main = nullptr;
    TDlgAboutForm* about = nullptr;
    TAutoMsgForm* autoMsg = nullptr;
    TDigitalMeterForm* digitalMeter = nullptr;
    TAnalogMeterForm* analogMeter = nullptr;
    TDlgHiLowForm* hiLow = nullptr;
    TComparatorForm* comparator = nullptr;
    TGraphicalForm* graphical = nullptr;
    TDialogOption* option = nullptr;
    TFormViewGraphic* viewGraphic = nullptr;
    TDlgFitExportForm* fitExport = nullptr;
    TMsgForm* msg = nullptr;
    TDlgExportForm* exportForm = nullptr;
    TdlgGraphLineColor* lineColor = nullptr;
    TDataStringGridForm* dataList = nullptr;
    TFormImport* import = nullptr;
};

} // namespace ostrel
