#include "ctrldatacmd.h"

#include "appglobals.h"
#include "controlfiles.h"
#include "engine.h"
#include "plugins.h"
#include "progressdlg.h"
#include "resource.h"
#include "settings.h"

namespace {

// Progress steps of the engine's bulk sends.
constexpr int kGSSendSteps = 108;
constexpr int kMT32SendSteps = 103;

// The information record with room behind it: a plug-in that fills it as it
// does at load writes texts past the record's own size.
struct InformationQuery {
  ControllerInfo info;
  char spare[1024 - sizeof(ControllerInfo)];
};

// Asks a plug-in whether it takes part in the send, and for its share of the
// progress. False for an empty slot, one without song data or an
// information entry, or one that declines.
bool TakesPart(ControllerPlugin& p, ControllerInfo& info) {
  if (p.id == 0 || !p.songData || !p.information) return false;
  InformationQuery query{};
  query.info.size = sizeof(ControllerInfo);
  if (!p.information(p.id, &query)) return false;
  info = query.info;
  return true;
}

// Resets every taking part; their progress steps.
int ResetPlugins() {
  int total = 0;
  for (ControllerPlugin& p : g_plugins) {
    ControllerInfo info{};
    if (!TakesPart(p, info)) continue;
    total += static_cast<int>(info.progressSteps);
    if (p.resetControlData) p.resetControlData(p.id);
  }
  return total;
}

void SendPlugins(HWND dialog, int* progress, int total) {
  for (ControllerPlugin& p : g_plugins) {
    ControllerInfo info{};
    if (TakesPart(p, info) && p.sendControlData) p.sendControlData(p.id, dialog, progress, total, 0);
  }
}

}  // namespace

void SendControlDataCommand(HWND frame) {
  if (g_app.portsUnavailable) return;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  int total = ResetPlugins();
  HGLOBAL gs = g_controlImages[kControlGS];
  HGLOBAL mt32 = g_controlImages[kControlMT32];
  if (gs && g_engine.gsReset) g_engine.gsReset(g_settings.gsPort);
  if (mt32 && g_engine.resetMT32) g_engine.resetMT32(g_settings.laPort, g_settings.pcmPort);
  if (gs) total += kGSSendSteps;
  if (mt32) total += kMT32SendSteps;

  HWND dialog = CreateProgressDialog(frame, LoadAppString(IDS_SENDING_CONTROL).c_str());
  // One counter for every sender of this command, each with the same total.
  int progress = 0;
  SendPlugins(dialog, &progress, total);
  // The engine sends nothing for a missing image.
  if (g_engine.sendMT32All)
    g_engine.sendMT32All(dialog, mt32, g_settings.laPort, g_settings.pcmPort, &progress, total, 0);
  if (g_engine.gsSendAll) g_engine.gsSendAll(dialog, gs, g_settings.gsPort, &progress, total, 0);
  if (dialog) DestroyProgressDialog(dialog);
  SetCursor(previous);
}
