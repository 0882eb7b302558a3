#include "devices/audio/pipewire_equalizer.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/impl.h>
#include <pipewire/pipewire.h>
#include <spa/param/props.h>
#include <spa/pod/builder.h>
#include <spa/utils/json.h>

#include <cstring>
#include <map>
#include <memory>

#include "platform/log_categories.h"

namespace audio {

namespace {
constexpr char kDefaultSinkKey[] = "default.configured.audio.sink";
constexpr char kRunningDefaultKey[] = "default.audio.sink";

// The "name" of a metadata value {"name": "..."}; empty when none.
std::string NameOfJson(const char* value) {
    if (!value) return {};
    spa_json it[2];
    spa_json_init(&it[0], value, strlen(value));
    if (spa_json_enter_object(&it[0], &it[1]) <= 0) return {};
    char key[64];
    while (spa_json_get_string(&it[1], key, sizeof(key)) > 0) {
        char text[512];
        if (strcmp(key, "name") == 0) {
            if (spa_json_get_string(&it[1], text, sizeof(text)) > 0) return text;
            return {};
        }
        const char* skip = nullptr;
        if (spa_json_next(&it[1], &skip) <= 0) break;
    }
    return {};
}

int CardOfProps(const spa_dict* props) {
    for (const char* key : {"alsa.card", "api.alsa.pcm.card", "api.alsa.card"}) {
        const char* value = spa_dict_lookup(props, key);
        if (value && *value) return atoi(value);
    }
    return -1;
}
}  // namespace

struct CPipeWireEqualizer::State {
    // A sink of the server. The registry shows only a few of its properties; its card comes
    // with the node's info, so every sink is bound to read it.
    struct Sink {
        State* state = nullptr;
        uint32_t id = 0;
        std::string name;
        int card = -1;
        pw_proxy* proxy = nullptr;
        spa_hook listener{};
        ~Sink() {
            if (proxy) pw_proxy_destroy(proxy);
        }
    };

    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    spa_hook registryListener{};
    pw_metadata* metadata = nullptr;
    uint32_t metadataId = SPA_ID_INVALID;
    spa_hook metadataListener{};
    pw_node* filterNode = nullptr;
    uint32_t filterNodeId = SPA_ID_INVALID;
    pw_impl_module* module = nullptr;
    std::string unavailable;
    spa_hook coreListener{};
    int pendingSync = -1;
    bool synced = false;

    // Guarded by the thread loop's lock.
    std::map<uint32_t, std::unique_ptr<Sink>> sinks;
    int headsetCard = -1;
    std::string configuredDefault;
    std::string runningDefault;
    bool wanted = false;
    bool tookOverDefault = false;
    bool checkedSavedDefault = false;
    EqGains gains{};

    std::string HeadsetSinkName() const {
        if (headsetCard < 0) return {};
        for (const auto& [id, sink] : sinks)
            if (sink->card == headsetCard) return sink->name;
        return {};
    }
    void SetDefault(const std::string& name) {
        if (!metadata || name.empty()) return;
        const std::string value = "{ \"name\": \"" + name + "\" }";
        pw_metadata_set_property(metadata, 0, kDefaultSinkKey, "Spa:String:JSON", value.c_str());
    }
    void SendGains() {
        if (!filterNode) return;
        uint8_t buffer[2048];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
        spa_pod_frame f[2];
        spa_pod_builder_push_object(&b, &f[0], SPA_TYPE_OBJECT_Props, SPA_PARAM_Props);
        spa_pod_builder_prop(&b, SPA_PROP_params, 0);
        spa_pod_builder_push_struct(&b, &f[1]);
        spa_pod_builder_string(&b, kEqPreGainControl);
        spa_pod_builder_float(&b, static_cast<float>(EqPreGain(gains)));
        for (std::size_t i = 0; i < kEqBands; ++i) {
            spa_pod_builder_string(&b, EqBandControl(i).c_str());
            spa_pod_builder_float(&b, static_cast<float>(ClampEqGain(gains[i])));
        }
        spa_pod_builder_pop(&b, &f[1]);
        auto* pod = static_cast<spa_pod*>(spa_pod_builder_pop(&b, &f[0]));
        pw_node_set_param(filterNode, SPA_PARAM_Props, 0, pod);
    }
    // Loads or unloads the filter to match what is wanted and what exists (loop locked).
    void Reconcile() {
        const std::string headset = HeadsetSinkName();
        if (!checkedSavedDefault && !headset.empty() && metadata) {
            checkedSavedDefault = true;
            if (!module && configuredDefault == kEqualizerSinkName) {
                qCInfo(lcAudio) << "the saved default sink is the equaliser's; giving it back";
                SetDefault(headset);
            }
        }
        const bool run = wanted && !headset.empty();
        if (run && !module) {
            const std::string args = BuildEqualizerGraph(gains, headset);
            module = pw_context_load_module(context, "libpipewire-module-filter-chain",
                                            args.c_str(), nullptr);
            if (!module) {
                qCWarning(lcAudio)
                    << "the equaliser filter could not be loaded:" << strerror(errno);
                return;
            }
            const std::string current =
                configuredDefault.empty() ? runningDefault : configuredDefault;
            if (current == headset) {
                SetDefault(kEqualizerSinkName);
                tookOverDefault = true;
            }
        } else if (!run && module) {
            if (tookOverDefault) SetDefault(headset.empty() ? std::string() : headset);
            tookOverDefault = false;
            DropFilterNode();
            pw_impl_module_destroy(module);
            module = nullptr;
        }
    }
    void DropFilterNode() {
        if (filterNode) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(filterNode));
        filterNode = nullptr;
        filterNodeId = SPA_ID_INVALID;
    }

    // Waits (loop locked) until the server has handled everything sent so far, at most a
    // second: at start the sinks are known before the first call, at the end the default
    // sink given back reaches the server before the connection closes.
    void Roundtrip() {
        if (!core) return;
        synced = false;
        pendingSync = pw_core_sync(core, PW_ID_CORE, pendingSync);
        while (!synced) {
            if (pw_thread_loop_timed_wait(loop, 1) != 0) break;
        }
    }
    static void OnCoreDone(void* data, uint32_t id, int seq) {
        auto* s = static_cast<State*>(data);
        if (id != PW_ID_CORE || seq != s->pendingSync) return;
        s->synced = true;
        pw_thread_loop_signal(s->loop, false);
    }

    static void OnGlobal(void* data, uint32_t id, uint32_t, const char* type, uint32_t,
                         const spa_dict* props) {
        auto* s = static_cast<State*>(data);
        if (!props) return;
        if (strcmp(type, PW_TYPE_INTERFACE_Node) == 0) {
            const char* cls = spa_dict_lookup(props, PW_KEY_MEDIA_CLASS);
            const char* name = spa_dict_lookup(props, PW_KEY_NODE_NAME);
            if (!cls || !name || strcmp(cls, "Audio/Sink") != 0) return;
            if (strcmp(name, kEqualizerSinkName) == 0) {
                s->DropFilterNode();
                s->filterNode = static_cast<pw_node*>(
                    pw_registry_bind(s->registry, id, PW_TYPE_INTERFACE_Node, PW_VERSION_NODE, 0));
                s->filterNodeId = id;
                s->SendGains();
                return;
            }
            auto sink = std::make_unique<Sink>();
            sink->state = s;
            sink->id = id;
            sink->name = name;
            sink->card = CardOfProps(props);
            sink->proxy = static_cast<pw_proxy*>(
                pw_registry_bind(s->registry, id, PW_TYPE_INTERFACE_Node, PW_VERSION_NODE, 0));
            if (sink->proxy) {
                static const pw_node_events events = [] {
                    pw_node_events e{};
                    e.version = PW_VERSION_NODE_EVENTS;
                    e.info = &State::OnSinkInfo;
                    return e;
                }();
                pw_node_add_listener(reinterpret_cast<pw_node*>(sink->proxy), &sink->listener,
                                     &events, sink.get());
            }
            s->sinks[id] = std::move(sink);
            s->Reconcile();
        } else if (strcmp(type, PW_TYPE_INTERFACE_Metadata) == 0) {
            const char* name = spa_dict_lookup(props, PW_KEY_METADATA_NAME);
            if (!name || strcmp(name, "default") != 0 || s->metadata) return;
            s->metadata = static_cast<pw_metadata*>(pw_registry_bind(
                s->registry, id, PW_TYPE_INTERFACE_Metadata, PW_VERSION_METADATA, 0));
            s->metadataId = id;
            static const pw_metadata_events events = {
                .version = PW_VERSION_METADATA_EVENTS,
                .property = &State::OnProperty,
            };
            pw_metadata_add_listener(s->metadata, &s->metadataListener, &events, s);
        }
    }
    static void OnSinkInfo(void* data, const pw_node_info* info) {
        auto* sink = static_cast<Sink*>(data);
        if (!info || !info->props) return;
        const int card = CardOfProps(info->props);
        if (card == sink->card) return;
        sink->card = card;
        sink->state->Reconcile();
    }
    static void OnGlobalRemove(void* data, uint32_t id) {
        auto* s = static_cast<State*>(data);
        if (id == s->filterNodeId) s->DropFilterNode();
        if (s->sinks.erase(id) > 0) s->Reconcile();
    }
    static int OnProperty(void* data, uint32_t subject, const char* key, const char*,
                          const char* value) {
        auto* s = static_cast<State*>(data);
        if (subject != 0 || !key) return 0;
        if (strcmp(key, kDefaultSinkKey) == 0) s->configuredDefault = NameOfJson(value);
        if (strcmp(key, kRunningDefaultKey) == 0) s->runningDefault = NameOfJson(value);
        s->Reconcile();
        return 0;
    }
};

CPipeWireEqualizer::CPipeWireEqualizer() : state_(std::make_unique<State>()) {
    pw_init(nullptr, nullptr);
    State& s = *state_;
    s.loop = pw_thread_loop_new("skelmora-eq", nullptr);
    if (s.loop) s.context = pw_context_new(pw_thread_loop_get_loop(s.loop), nullptr, 0);
    if (!s.loop || !s.context) {
        s.unavailable = "PipeWire could not be started in this process";
        return;
    }
    if (pw_thread_loop_start(s.loop) < 0) {
        s.unavailable = "PipeWire's thread could not start";
        return;
    }
    pw_thread_loop_lock(s.loop);
    s.core = pw_context_connect(s.context, nullptr, 0);
    if (!s.core) {
        s.unavailable = "PipeWire does not run";
        pw_thread_loop_unlock(s.loop);
        qCInfo(lcAudio) << "equaliser unavailable: PipeWire does not run";
        return;
    }
    s.registry = pw_core_get_registry(s.core, PW_VERSION_REGISTRY, 0);
    static const pw_registry_events events = {
        .version = PW_VERSION_REGISTRY_EVENTS,
        .global = &State::OnGlobal,
        .global_remove = &State::OnGlobalRemove,
    };
    pw_registry_add_listener(s.registry, &s.registryListener, &events, &s);
    static const pw_core_events coreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.done = &State::OnCoreDone;
        return events;
    }();
    pw_core_add_listener(s.core, &s.coreListener, &coreEvents, &s);
    s.Roundtrip();
    s.Roundtrip();  // the metadata bound in the first answers in the second
    pw_thread_loop_unlock(s.loop);
}

CPipeWireEqualizer::~CPipeWireEqualizer() {
    State& s = *state_;
    if (s.loop) {
        pw_thread_loop_lock(s.loop);
        s.wanted = false;
        if (s.core) {
            s.Reconcile();
            s.Roundtrip();
        }
        s.DropFilterNode();
        s.sinks.clear();
        if (s.metadata) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(s.metadata));
        if (s.registry) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(s.registry));
        if (s.core) pw_core_disconnect(s.core);
        pw_thread_loop_unlock(s.loop);
        pw_thread_loop_stop(s.loop);
    }
    if (s.context) pw_context_destroy(s.context);
    if (s.loop) pw_thread_loop_destroy(s.loop);
}

bool CPipeWireEqualizer::Available(std::string* reason) const {
    if (!state_->unavailable.empty() && reason) *reason = state_->unavailable;
    return state_->unavailable.empty();
}

void CPipeWireEqualizer::SetHeadsetCard(int cardNumber) {
    if (!Available()) return;
    pw_thread_loop_lock(state_->loop);
    state_->headsetCard = cardNumber;
    state_->Reconcile();
    pw_thread_loop_unlock(state_->loop);
}

AudioResult CPipeWireEqualizer::SetOn(const EqGains& gains) {
    std::string reason;
    if (!Available(&reason)) return AudioResult::Unsupported(reason);
    State& s = *state_;
    pw_thread_loop_lock(s.loop);
    s.gains = gains;
    s.wanted = true;
    s.Reconcile();
    s.SendGains();
    const bool running = s.module != nullptr;
    const bool sink = !s.HeadsetSinkName().empty();
    pw_thread_loop_unlock(s.loop);
    if (running) return AudioResult::Done();
    if (!sink) {
        return AudioResult::NotConnected(
            "the headset's sink is not there; the equaliser starts when it appears");
    }
    return AudioResult::Failed("the equaliser filter could not be loaded");
}

AudioResult CPipeWireEqualizer::SetBand(std::size_t band, int gain) {
    std::string reason;
    if (!Available(&reason)) return AudioResult::Unsupported(reason);
    if (band >= kEqBands) return AudioResult::Failed("no such band");
    State& s = *state_;
    pw_thread_loop_lock(s.loop);
    s.gains[band] = gain;
    s.SendGains();
    pw_thread_loop_unlock(s.loop);
    return AudioResult::Done();
}

AudioResult CPipeWireEqualizer::SetOff() {
    if (!Available()) return AudioResult::Done();
    pw_thread_loop_lock(state_->loop);
    state_->wanted = false;
    state_->Reconcile();
    pw_thread_loop_unlock(state_->loop);
    return AudioResult::Done();
}

bool CPipeWireEqualizer::IsOn() const {
    if (!Available()) return false;
    pw_thread_loop_lock(state_->loop);
    const bool on = state_->wanted;
    pw_thread_loop_unlock(state_->loop);
    return on;
}

bool CPipeWireEqualizer::IsRunning() const {
    if (!Available()) return false;
    pw_thread_loop_lock(state_->loop);
    const bool running = state_->module != nullptr;
    pw_thread_loop_unlock(state_->loop);
    return running;
}

bool CPipeWireEqualizer::FilterVisible() const {
    if (!Available()) return false;
    pw_thread_loop_lock(state_->loop);
    // The filter's nodes reach the server on the module's own connection: a few round trips
    // of ours may pass before the server shows a change of them.
    const bool want = state_->module != nullptr;
    for (int i = 0; i < 20 && (state_->filterNode != nullptr) != want; ++i) state_->Roundtrip();
    const bool visible = state_->filterNode != nullptr;
    pw_thread_loop_unlock(state_->loop);
    return visible;
}

std::string CPipeWireEqualizer::ConfiguredDefaultSink() const {
    if (!Available()) return {};
    pw_thread_loop_lock(state_->loop);
    state_->Roundtrip();
    const std::string name = state_->configuredDefault;
    pw_thread_loop_unlock(state_->loop);
    return name;
}

EqGains CPipeWireEqualizer::Gains() const {
    if (!Available()) return {};
    pw_thread_loop_lock(state_->loop);
    const EqGains gains = state_->gains;
    pw_thread_loop_unlock(state_->loop);
    return gains;
}

}  // namespace audio
