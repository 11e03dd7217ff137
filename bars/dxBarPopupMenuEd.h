#pragma once
// The sub-menu editor: a caption bar under which a sub-item's menu stays open while customizing, so
// its rows can be rearranged by dragging.
#include "Forms.h"
#include "dxBarCommon.h"

class TdxBarSubMenuEditor : public TForm {
  YOZ_CLASS(TdxBarSubMenuEditor, TForm)
public:
  explicit TdxBarSubMenuEditor(TComponent* AOwner) : TForm(AOwner) {}
  ~TdxBarSubMenuEditor() override;
  TCustomdxBarSubItem* SubItem = nullptr;
  TdxBarSubMenuControl* SubMenu() const;
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  static void Publish(TPublisher<TdxBarSubMenuEditor>& p);
  void CloseSubMenu();
};

// The editor of the process, nullptr when none is open.
extern TdxBarSubMenuEditor* dxBarSubMenuEditor;
// Enters customizing mode and shows (or re-uses) the editor for the sub-item.
void dxBarShowSubMenuEditor(TCustomdxBarSubItem* ASubItem);
void dxBarFreeSubMenuEditor();
