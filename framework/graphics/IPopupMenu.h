#pragma once
// A pop-up menu description handed to the platform; it records the item the user chose.

#include <memory>
#include <string>
#include <vector>

class IPopupMenu;

class IPopupMenuItem {
 public:
  explicit IPopupMenuItem(const char* text, bool checked = false)
      : mText(text ? text : ""), mChecked(checked) {}

  const std::string& GetText() const { return mText; }
  bool GetChecked() const { return mChecked; }
  void SetChecked(bool checked) { mChecked = checked; }
  IPopupMenu* GetSubmenu() const { return mSubmenu.get(); }
  void SetSubmenu(std::shared_ptr<IPopupMenu> submenu) { mSubmenu = std::move(submenu); }

 private:
  std::string mText;
  bool mChecked = false;
  std::shared_ptr<IPopupMenu> mSubmenu;
};

class IPopupMenu {
 public:
  IPopupMenuItem* AddItem(const char* text, bool checked = false) {
    mItems.emplace_back(text, checked);
    return &mItems.back();
  }
  int GetNItems() const { return int(mItems.size()); }
  IPopupMenuItem* GetItem(int idx) { return idx >= 0 && idx < GetNItems() ? &mItems[idx] : nullptr; }
  const char* GetItemText(int idx) const {
    return idx >= 0 && idx < GetNItems() ? mItems[idx].GetText().c_str() : "";
  }
  void CheckItem(int idx, bool checked) {
    if (IPopupMenuItem* item = GetItem(idx)) item->SetChecked(checked);
  }
  void CheckItemAlone(int idx) {
    for (int i = 0; i < GetNItems(); ++i) mItems[i].SetChecked(i == idx);
  }
  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int idx) { mChosenItemIdx = idx; }

 private:
  std::vector<IPopupMenuItem> mItems;
  int mChosenItemIdx = -1;
};
