// The COM objects the browser control's view hands the control: its site (client
// site, in-place site and frame, the document host's UI handler and message-box
// host, which ask the events for the host flags, the context menu and who shows
// the browser's message boxes, and the sink of the control's DWebBrowserEvents2),
// and the sink of a completed document's element events. Each is made with one
// reference, its creator's; after DetachAndRelease the control may still hold
// references and gets answers, but no events reach the view any more.
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>

namespace ovn::browser {

class ControlWebView;
class WebViewEvents;
class ControlSite;
class DocumentSink;

inline constexpr IID kDiidHtmlDocumentEvents2 = {0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

// Null when there is no memory for it.
ControlSite* NewControlSite(HWND host, WebViewEvents& events, ControlWebView& owner);
IOleClientSite* AsClientSite(ControlSite* site);
IDispatch* AsEventSink(ControlSite* site);
void SetInPlace(ControlSite* site, IOleInPlaceObject* inPlace);
void DetachAndRelease(ControlSite* site);

DocumentSink* NewDocumentSink(WebViewEvents& events);
IDispatch* AsEventSink(DocumentSink* sink);
void DetachAndRelease(DocumentSink* sink);

}  // namespace ovn::browser
