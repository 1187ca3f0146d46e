// FormLoader: fills the form from the file in the state's `ref` (its attributes, then the
// places other programs look) and records which file it read and what each field held.
#ifndef BRINDLE_WINDOW_FORM_LOADER_H
#define BRINDLE_WINDOW_FORM_LOADER_H

#include <SupportDefs.h>

class BFile;
class BNode;
class MPopup;
class MTextControl;
struct FormState;

class FormLoader {
public:
    explicit FormLoader(FormState &state);

    FormLoader(const FormLoader &) = delete;
    FormLoader &operator=(const FormLoader &) = delete;

    // Loads every field; a file that cannot be read leaves the form empty, belonging to no
    // file, and the status line says why.
    void readAttrs();
    // setEditField and setPopup return whether the form shows the stored value exactly.
    static bool setEditField(BNode &node, const char *name, MTextControl *field);
    // `readStatus`, when given, receives the read's result (B_ENTRY_NOT_FOUND: nothing stored).
    static bool setPopup(BNode &node, const char *name, MPopup *popup, int32 min, int32 max,
                         int32 defaultValue, ssize_t *readStatus = nullptr);

private:
    // Where other programs look, for what the attributes left empty: the desktop's rating for
    // a file without "Audio:Rating", then the file's own tag (ID3v2 for MPEG, the Vorbis
    // comment or ilst for the other formats) for the texts, an "unknown" Genre and a rating
    // still missing.
    void fillFromOtherPlaces(BFile &file, bool ratingMissing);

    FormState &fState;
};

#endif  // BRINDLE_WINDOW_FORM_LOADER_H
