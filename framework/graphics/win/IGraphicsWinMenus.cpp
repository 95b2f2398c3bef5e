// Pop-up menus: an IPopupMenu as a Win32 menu, tracked modally below the control.
#include "framework/graphics/win/IGraphicsWin.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "framework/graphics/IPopupMenu.h"

namespace {
// Items get command ids 1, 2, ... in the order they are added, submenus included.
void BuildMenu(HMENU hmenu, IPopupMenu* menu, std::vector<std::pair<IPopupMenu*, int>>* commands) {
  for (int i = 0; i < menu->GetNItems(); ++i) {
    IPopupMenuItem* item = menu->GetItem(i);
    if (IPopupMenu* sub = item->GetSubmenu()) {
      HMENU child = CreatePopupMenu();
      BuildMenu(child, sub, commands);
      AppendMenuA(hmenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(child), item->GetText().c_str());
      continue;
    }
    commands->emplace_back(menu, i);
    UINT flags = MF_STRING | (item->GetChecked() ? MF_CHECKED : MF_UNCHECKED);
    if (item->GetText() == "-") flags = MF_SEPARATOR;
    AppendMenuA(hmenu, flags, UINT_PTR(commands->size()), item->GetText().c_str());
  }
}
}  // namespace

IPopupMenu* IGraphicsWin::CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) {
  if (!menu || !areaRect || !mHwnd) return nullptr;
  ReleaseMouseCapture();
  if (GetCapture() == mHwnd) ReleaseCapture();
  HMENU hmenu = CreatePopupMenu();
  if (!hmenu) return nullptr;
  std::vector<std::pair<IPopupMenu*, int>> commands;
  BuildMenu(hmenu, menu, &commands);
  POINT p = {ToDevice(areaRect->L), ToDevice(areaRect->B)};
  ClientToScreen(mHwnd, &p);
  const int chosen =
      int(TrackPopupMenu(hmenu, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0, mHwnd, nullptr));
  DestroyMenu(hmenu);
  InvalidateRect(mHwnd, nullptr, FALSE);
  SetAllControlsDirty();
  if (chosen <= 0 || chosen > int(commands.size())) return nullptr;
  IPopupMenu* holder = commands[size_t(chosen) - 1].first;
  holder->SetChosenItemIdx(commands[size_t(chosen) - 1].second);
  return holder;
}
