// make bench-startup: times programs from exec to their first visible top-level window on the
// display of $DISPLAY (a virtual one, see scripts/bench-startup.sh).
//
//   kovu_startup_timer [--runs N] [--timeout-ms T] PROGRAM...
//
// The programs run in turns (one run of each, then the next round), each after one start that is
// not counted, so every program meets the same machine and a warm disk cache. A window counts as
// visible when the program has drawn into it: the timer learns of each new child of the root
// window from the server (CreateNotify), watches it with the DAMAGE extension and takes the time of
// its first drawing after it was mapped; the time of the map itself is reported beside it. Nothing
// polls the server: the timer sleeps on the display connection. It then asks the window to close as
// a window manager would (WM_DELETE_WINDOW), so the program ends normally.
// A run that shows no window in time, or a program that ends without one, is reported and counted;
// the exit status is then 1. The last line gives the ratio of the medians of the last program to
// the first.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string path;
    std::string name;
    std::vector<double> times;   // milliseconds to the first drawing, of the runs that showed a window
    std::vector<double> mapped;  // milliseconds to the map of the same runs
    int failures = 0;
};

struct Display {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t protocols = 0;
    xcb_atom_t deleteWindow = 0;
    uint8_t damageEvent = 0;  // first event code of DAMAGE; 0 when the server lacks it
};

struct Times {
    double mapped = -1;
    double drawn = -1;
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

// Drops the events of earlier runs.
void drain(Display& d) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(d.c)) std::free(e);
}

// Waits for the child to end for up to ms milliseconds; true when it did (status in *status).
bool waitExit(pid_t pid, int ms, int* status) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        if (waitpid(pid, status, WNOHANG) == pid) return true;
        usleep(5000);
    }
    return false;
}

std::string describe(int status) {
    if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("ended by signal ") + strsignal(WTERMSIG(status));
    return "ended";
}

// One start of p: the milliseconds to its window's map and first drawing (negative when it
// showed none).
Times runOnce(Display& d, const Program& p, int timeoutMs, std::string* why) {
    xcb_flush(d.c);
    drain(d);
    const auto start = Clock::now();
    const auto since = [&start] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    const pid_t pid = fork();
    if (pid < 0) {
        *why = "cannot start";
        return {};
    }
    if (pid == 0) {
        execl(p.path.c_str(), p.path.c_str(), static_cast<char*>(nullptr));
        std::perror(p.path.c_str());
        _exit(127);
    }
    const int fd = xcb_get_file_descriptor(d.c);
    std::vector<std::pair<xcb_window_t, xcb_damage_damage_t>> watched;
    xcb_window_t shown = 0;
    Times t;
    int status = 0;
    bool ended = false;
    while (t.drawn < 0) {
        if (since() > timeoutMs) {
            *why = "showed no window within " + std::to_string(timeoutMs) + " ms";
            break;
        }
        pollfd pfd{fd, POLLIN, 0};
        // The wait wakes on the server's event; the 20 ms bound only looks after a program that
        // ends without a window.
        poll(&pfd, 1, 20);
        while (xcb_generic_event_t* e = xcb_poll_for_event(d.c)) {
            const uint8_t type = e->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY && d.damageEvent) {
                const auto* c = reinterpret_cast<xcb_create_notify_event_t*>(e);
                if (c->parent == d.root && !c->override_redirect) {
                    const xcb_damage_damage_t dmg = xcb_generate_id(d.c);
                    xcb_damage_create(d.c, dmg, c->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                    xcb_flush(d.c);
                    watched.emplace_back(c->window, dmg);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (m->event == d.root && !m->override_redirect && !shown) {
                    shown = m->window;
                    t.mapped = since();
                    if (!d.damageEvent) t.drawn = t.mapped;
                }
            } else if (d.damageEvent && type == d.damageEvent + XCB_DAMAGE_NOTIFY) {
                const auto* n = reinterpret_cast<xcb_damage_notify_event_t*>(e);
                if (shown && n->drawable == shown && t.drawn < 0) t.drawn = since();
            }
            std::free(e);
        }
        if (xcb_connection_has_error(d.c)) {
            *why = "lost the display";
            break;
        }
        if (t.drawn < 0 && waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            *why = describe(status) + (shown ? " before drawing its window" : " without showing a window");
            break;
        }
    }
    for (const auto& w : watched) xcb_damage_destroy(d.c, w.second);
    if (shown && !ended) {
        xcb_client_message_event_t msg{};
        msg.response_type = XCB_CLIENT_MESSAGE;
        msg.format = 32;
        msg.window = shown;
        msg.type = d.protocols;
        msg.data.data32[0] = d.deleteWindow;
        msg.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(d.c, 0, shown, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&msg));
    }
    xcb_flush(d.c);
    if (!ended && !waitExit(pid, 5000, &status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        if (shown) std::fprintf(stderr, "%s did not close when asked; killed\n", p.name.c_str());
    }
    if (t.drawn < 0) return {};
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int usage() {
    std::fprintf(stderr, "usage: kovu_startup_timer [--runs N] [--timeout-ms T] PROGRAM...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15;
    int timeoutMs = 10000;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--timeout-ms" && i + 1 < argc) {
            timeoutMs = std::max(100, std::atoi(argv[++i]));
        } else if (a.rfind("--", 0) == 0) {
            return usage();
        } else {
            Program p;
            p.path = a;
            p.name = a.substr(a.find_last_of('/') + 1);
            programs.push_back(p);
        }
    }
    if (programs.empty()) return usage();
    // Two programs of one name (two builds) are told apart by their paths.
    for (Program& p : programs)
        for (const Program& q : programs)
            if (&p != &q && p.name == q.name) p.name = p.path;

    Display d;
    int screenNumber = 0;
    d.c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(d.c)) {
        std::fprintf(stderr, "kovu_startup_timer: cannot reach the display (DISPLAY=%s)\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(d.c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    d.root = it.data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(d.c, d.root, XCB_CW_EVENT_MASK, &mask);
    d.protocols = atom(d.c, "WM_PROTOCOLS");
    d.deleteWindow = atom(d.c, "WM_DELETE_WINDOW");
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(d.c, &xcb_damage_id);
    if (damage && damage->present) {
        std::free(xcb_damage_query_version_reply(
            d.c, xcb_damage_query_version(d.c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), nullptr));
        d.damageEvent = damage->first_event;
    } else {
        std::fprintf(stderr, "kovu_startup_timer: the display has no DAMAGE extension; timing the map\n");
    }
    // Programs that end on their own must not stop the timer.
    signal(SIGPIPE, SIG_IGN);

    std::string why;
    for (Program& p : programs)
        if (runOnce(d, p, timeoutMs, &why).drawn < 0)
            std::fprintf(stderr, "%s, start not counted: %s\n", p.name.c_str(), why.c_str());
    for (int r = 1; r <= runs; ++r) {
        for (Program& p : programs) {
            const Times t = runOnce(d, p, timeoutMs, &why);
            if (t.drawn < 0) {
                ++p.failures;
                std::fprintf(stderr, "%s, run %d: %s\n", p.name.c_str(), r, why.c_str());
            } else {
                p.times.push_back(t.drawn);
                p.mapped.push_back(t.mapped);
            }
        }
    }

    std::printf("Start-up, exec to the first drawing in the window, %d runs each in turns (ms):\n", runs);
    size_t width = 8;
    for (const Program& p : programs) width = std::max(width, p.name.size());
    const int w = static_cast<int>(width);
    std::printf("  %-*s %8s %8s %8s   %s  %s\n", w, "program", "min", "median", "max", "map median",
                "no window");
    for (const Program& p : programs) {
        if (p.times.empty()) {
            std::printf("  %-*s %8s %8s %8s   %10s  %d\n", w, p.name.c_str(), "-", "-", "-", "-", p.failures);
            continue;
        }
        std::printf("  %-*s %8.1f %8.1f %8.1f   %10.1f  %d\n", w, p.name.c_str(),
                    *std::min_element(p.times.begin(), p.times.end()), median(p.times),
                    *std::max_element(p.times.begin(), p.times.end()), median(p.mapped), p.failures);
    }
    const Program& first = programs.front();
    const Program& last = programs.back();
    if (programs.size() > 1 && !first.times.empty() && !last.times.empty())
        std::printf("Ratio of the medians, %s / %s: %.2f\n", last.name.c_str(), first.name.c_str(),
                    median(last.times) / median(first.times));
    xcb_disconnect(d.c);
    int failures = 0;
    for (const Program& p : programs) failures += p.failures;
    return failures ? 1 : 0;
}
