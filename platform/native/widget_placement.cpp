// Placing control widgets in their parent's clipping container: position and size in whole
// pixels, visibility, stacking (the first child on top) and keyboard focus order.
#include <algorithm>
#include <vector>

#include "platform/forms/form.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/pointer_shapes.h"

namespace platform::native {

namespace {

GtkWidgetHolder* holderOf(const forms::Control* control) {
    return control != nullptr ? dynamic_cast<GtkWidgetHolder*>(control->peer()) : nullptr;
}

// The widgets of `parent`'s children that are in `container` now, topmost first. `placing`
// stands for a child whose peer is being made and is not attached yet.
std::vector<std::pair<forms::Control*, GtkWidget*>> placedChildren(forms::Control& parent,
                                                                   GtkLayout* container,
                                                                   forms::Control& placing,
                                                                   GtkWidget* widget) {
    std::vector<std::pair<forms::Control*, GtkWidget*>> placed;
    for (forms::Control* child : parent.Children()) {
        GtkWidget* w = child == &placing ? widget : nullptr;
        if (w == nullptr) {
            if (GtkWidgetHolder* holder = holderOf(child)) w = holder->widget();
        }
        if (w != nullptr && gtk_widget_get_parent(w) == GTK_WIDGET(container))
            placed.emplace_back(child, w);
    }
    return placed;
}

// A layout paints its children in the order they were put and stacks their windows in the
// order they were made: the last one lies on top. Before the container is on screen the
// children are put again bottom first; afterwards their windows are raised bottom first.
void restack(GtkLayout* container,
             const std::vector<std::pair<forms::Control*, GtkWidget*>>& placed) {
    std::vector<GtkWidget*> wanted;  // bottom first
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) wanted.push_back(it->second);

    if (gtk_widget_get_realized(GTK_WIDGET(container))) {
        for (GtkWidget* w : wanted) {
            for (GdkWindow* window : windowsOfWidget(w)) gdk_window_raise(window);
        }
        return;
    }
    GList* current = gtk_container_get_children(GTK_CONTAINER(container));
    std::vector<GtkWidget*> order;
    for (GList* c = current; c != nullptr; c = c->next) {
        auto* w = static_cast<GtkWidget*>(c->data);
        if (std::find(wanted.begin(), wanted.end(), w) != wanted.end()) order.push_back(w);
    }
    g_list_free(current);
    if (order == wanted) return;
    for (GtkWidget* w : wanted) {
        gint x = 0;
        gint y = 0;
        gtk_container_child_get(GTK_CONTAINER(container), w, "x", &x, "y", &y, nullptr);
        g_object_ref(w);
        gtk_container_remove(GTK_CONTAINER(container), w);
        gtk_layout_put(container, w, x, y);
        g_object_unref(w);
    }
}

// Tab moves through the children by their tab index.
void orderFocus(GtkLayout* container, std::vector<std::pair<forms::Control*, GtkWidget*>> placed) {
    std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
        return a.first->TabIndex() < b.first->TabIndex();
    });
    GList* chain = nullptr;
    for (auto it = placed.rbegin(); it != placed.rend(); ++it)
        chain = g_list_prepend(chain, it->second);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(container), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
}

// The part of `window` that no window painted above it covers, in the window's coordinates:
// its own area within its ancestors', less the shown windows stacked above it or above one of
// its ancestors. Windows without output (the input windows of labels and buttons) cover nothing.
cairo_region_t* uncoveredRegion(GdkWindow* window) {
    const cairo_rectangle_int_t own{0, 0, gdk_window_get_width(window),
                                    gdk_window_get_height(window)};
    cairo_region_t* region = cairo_region_create_rectangle(&own);
    int offsetX = 0;  // from `window` to the window being looked at
    int offsetY = 0;
    for (GdkWindow* w = window; w != nullptr && !cairo_region_is_empty(region);) {
        GdkWindow* parent = gdk_window_get_parent(w);
        if (parent == nullptr || gdk_window_get_window_type(w) != GDK_WINDOW_CHILD) break;
        int x = 0;
        int y = 0;
        gdk_window_get_position(w, &x, &y);
        offsetX -= x;
        offsetY -= y;
        const cairo_rectangle_int_t inParent{offsetX, offsetY, gdk_window_get_width(parent),
                                             gdk_window_get_height(parent)};
        cairo_region_intersect_rectangle(region, &inParent);
        // The parent's children, topmost first, down to `w`.
        for (GList* c = gdk_window_peek_children(parent); c != nullptr && c->data != w;
             c = c->next) {
            auto* sibling = static_cast<GdkWindow*>(c->data);
            if (!gdk_window_is_visible(sibling) || gdk_window_is_input_only(sibling)) continue;
            int sx = 0;
            int sy = 0;
            gdk_window_get_position(sibling, &sx, &sy);
            const cairo_rectangle_int_t covered{offsetX + sx, offsetY + sy,
                                                gdk_window_get_width(sibling),
                                                gdk_window_get_height(sibling)};
            cairo_region_subtract_rectangle(region, &covered);
        }
        w = parent;
    }
    return region;
}

// Runs before the widget's own drawing; the clip it sets holds for that drawing.
gboolean clipToUncoveredArea(GtkWidget* widget, cairo_t* cr, gpointer /*unused*/) {
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr || !gtk_cairo_should_draw_window(cr, window)) return FALSE;
    cairo_region_t* uncovered = uncoveredRegion(window);
    const bool nothing = cairo_region_is_empty(uncovered);
    if (!nothing) {
        gdk_cairo_region(cr, uncovered);
        cairo_clip(cr);
    }
    cairo_region_destroy(uncovered);
    return nothing ? TRUE : FALSE;  // fully covered: the widget does not draw at all
}

}  // namespace

void paintUncoveredAreaOnly(GtkWidget* widget) {
    g_signal_connect(widget, "draw", G_CALLBACK(clipToUncoveredArea), nullptr);
}

void placeWidget(forms::Control& control, GtkWidget* widget) {
    GtkWidgetHolder* parentHolder = holderOf(control.Parent());
    GtkLayout* container = parentHolder != nullptr ? parentHolder->childContainer() : nullptr;
    if (container == nullptr || widget == nullptr) return;

    const forms::PixelRect r = control.pixelRect();
    GtkWidget* current = gtk_widget_get_parent(widget);
    if (current != GTK_WIDGET(container)) {
        g_object_ref(widget);
        if (current != nullptr) gtk_container_remove(GTK_CONTAINER(current), widget);
        gtk_layout_put(container, widget, r.left, r.top);
        g_object_unref(widget);
        // Controls show when their form shows, not with it: hidden ones stay hidden.
        gtk_widget_set_no_show_all(widget, TRUE);
        const auto placed = placedChildren(*control.Parent(), container, control, widget);
        restack(container, placed);
        orderFocus(container, placed);
    }
    gtk_layout_move(container, widget, r.left, r.top);
    gtk_widget_set_size_request(widget, std::max(r.width, 0), std::max(r.height, 0));
    gtk_widget_set_visible(widget, control.Visible());
}

GtkWindow* toplevelWindowOf(forms::Control& control) {
    forms::Form& form = control.OwnerForm();
    GtkWidgetHolder* holder = holderOf(&form);
    if (holder == nullptr || holder->widget() == nullptr) return nullptr;
    return GTK_WINDOW(holder->widget());
}

}  // namespace platform::native
