// FormSaver: writes the form into the file it was loaded from (the state's `ref`, checked
// against `formNode`): the attributes, and as mirrors the file's own tags. What it wrote
// becomes those fields' baseline; the status line says what the save did.
#ifndef BRINDLE_WINDOW_FORM_SAVER_H
#define BRINDLE_WINDOW_FORM_SAVER_H

#include <SupportDefs.h>

#include "window/SaveResult.h"

class BFile;
class BNode;
class MPopup;
class MTextControl;
class file_lock;
struct FieldSet;
struct FormState;

class FormSaver {
public:
    explicit FormSaver(FormState &state);

    FormSaver(const FormSaver &) = delete;
    FormSaver &operator=(const FormSaver &) = delete;

    // Save pressed: every field, but an unchanged one that keeps its stored value.
    void saveAttrs();
    // The automatic save: only the changed fields, and nothing at all when none changed.
    // The status line (or standard error, at close) says why a save that was due did not
    // write everything.
    SaveResult saveChangedAttrs(SaveKind kind);
    // One attribute; B_OK or the failing status.
    static status_t saveAttr(BNode &node, const char *name, MTextControl *field);
    static status_t saveAttr(BNode &node, const char *name, const char *text);
    static status_t saveAttr(BNode &node, const char *name, MPopup *popup);

private:
    // Writes the fields in `write` (and the tag fields and desktop rating that mirror them)
    // into the file the form belongs to, and puts the result on the status line but at close.
    SaveResult writeFields(const FieldSet &write, SaveKind kind);
    // Opens the file the form belongs to for writing, through `ref`, held in `lock` against
    // other saves (waiting `wait` microseconds at most for another holder): fails when the
    // name now leads to another file, a link to elsewhere or nothing, or another program
    // kept the file locked.
    // REQUIRES: the form was loaded (`formLoaded`).
    SaveResult openFormFile(BFile *file, file_lock *lock, bigtime_t wait);
    // Mirrors the fields of `write` in the ID3v1 tag of an MPEG file, appending one when
    // it has none; false when a tag was due and could not be added. `mirrored` receives the
    // fields the tag was given (all four when it was just appended).
    bool writeTag(BFile &file, const FieldSet &write, FieldSet *mirrored);
    // Mirrors the fields of `mirror` in the file's ID3v2 tag, when it has one. A tag that must
    // grow replaces the file, and the form then belongs to the new one (`formNode`). B_OK, or
    // why the tag was left as it was (REWRITE_HARD_LINKED for a file with other hard links).
    status_t writeId3v2Tag(BFile &file, const FieldSet &mirror);
    // Writes the fields of `write` ID3v1 takes for MPEG into the tag of a FLAC, Ogg Vorbis,
    // Opus or MP4 file (tags/format_tags.h), and, when `ratingChosen`, Rating into every
    // rating convention the file carries (an MPEG file's ID3v2 tag: POPM, FMPS_Rating) and
    // those the players read. As writeId3v2Tag, the form then belongs to the replacement.
    // B_OK, or why the tag was left as it was.
    status_t writeFormatTag(BFile &file, const FieldSet &write, bool ratingChosen);

    FormState &fState;
};

#endif  // BRINDLE_WINDOW_FORM_SAVER_H
