// Resource and control ids shared by the code and quillo.rc.
#pragma once

#define IconMain 101
#define MenuMain 102
#define DlgAbout 103
#define DlgPanel 104

#define CtlTestEdit 1018
#define CtlWebButton 1035
#define CtlAutoStartOn 1046
#define CtlAutoStartOff 1057
#define CtlStatusFirst 1058

#define MenuAbout 40003
#define MenuExit 40005
#define MenuHide 40007
#define MenuManual 40010
#define MenuReload 40024
#define MenuShowPanel 40030  // the notification-area icon's own item (PC only)

// Strings: the notification icon's item and the fixed messages.
#define TextShowPanel 300
#define TextHookFailed 301
#define TextPathTooLong 302

// The update page that the about box's web button opens, beside the program: the release notes in the
// manual. The about box's address text names the same page.
#define UPDATE_PAGE_FILE L"index.html"
#define UPDATE_PAGE_FRAGMENT L"#release-notes"
#define UPDATE_PAGE UPDATE_PAGE_FILE UPDATE_PAGE_FRAGMENT
