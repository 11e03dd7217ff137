// The board's commands reach the dialogs through MainDialogs: the main window knows none of them.
#include "Alerts.h"
#include "Main.h"
#include "QDAbout.h"
#include "SelectDepartment.h"
#include "SelectStatus.h"
#include "yOZComments.h"
#include "yOZDepartments.h"
#include "yOZStatuses.h"
#include "yOZUsers.h"

void ConnectMainDialogs() {
  MainDialogs.Departments = [] { frmyOZDepartments->ShowModal(); };
  MainDialogs.Statuses = [] { frmyOZStatuses->ShowModal(); };
  MainDialogs.Users = [] { frmyOZUsers->ShowModal(); };
  MainDialogs.SelectStatus = PickCustomStatus;
  MainDialogs.SelectDepartment = [] { frmSelectDepartment->ShowModal(); };
  MainDialogs.Alerts = ViewAlertList;
  MainDialogs.Comments = [] { frmyOZComments->ShowModal(); };
  MainDialogs.About = ShowAboutBox;
}
