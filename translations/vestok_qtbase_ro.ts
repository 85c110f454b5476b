<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Qt's own texts of the dialogs the program opens (files, printing, print
     preview, message boxes) in Romanian; used where Qt ships no qtbase_ro. -->
<TS version="2.1" language="ro_RO">
<context>
    <name>QPageSetupWidget</name>
    <message>
        <source>CC</source>
        <translation>CC</translation>
    </message>
    <message>
        <source>DD</source>
        <translation>DD</translation>
    </message>
    <message>
        <source>in</source>
        <translation>in</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>pt</source>
        <translation>pt</translation>
    </message>
    <message>
        <source>P̸</source>
        <translation>P̸</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>bottom margin</source>
        <translation>margine jos</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Hartie</translation>
    </message>
    <message>
        <source>Paper source:</source>
        <translation>Sursa hartie:</translation>
    </message>
    <message>
        <source>right margin</source>
        <translation>margine dreapta</translation>
    </message>
    <message>
        <source>Pica (P̸)</source>
        <translation>Pica (P̸)</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>Margini</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Personalizat</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Peisaj</translation>
    </message>
    <message>
        <source>Page Layout</source>
        <translation>Asezare pagina</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Latime:</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Orientare</translation>
    </message>
    <message>
        <source>Didot (DD)</source>
        <translation>Didot (DD)</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Portret</translation>
    </message>
    <message>
        <source>Page order:</source>
        <translation>Ordinea paginilor:</translation>
    </message>
    <message>
        <source>top margin</source>
        <translation>margine sus</translation>
    </message>
    <message>
        <source>left margin</source>
        <translation>margine stanga</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>Dimensiune pagina:</translation>
    </message>
    <message>
        <source>Cicero (CC)</source>
        <translation>Cicero (CC)</translation>
    </message>
    <message>
        <source>Reverse portrait</source>
        <translation>Portret inversat</translation>
    </message>
    <message>
        <source>Millimeters (mm)</source>
        <translation>Milimetri (mm)</translation>
    </message>
    <message>
        <source>Points (pt)</source>
        <translation>Puncte (pt)</translation>
    </message>
    <message>
        <source>Pages per sheet:</source>
        <translation>Pagini pe foaie:</translation>
    </message>
    <message>
        <source>Inches (in)</source>
        <translation>Toli (in)</translation>
    </message>
    <message>
        <source>Reverse landscape</source>
        <translation>Peisaj inversat</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Inaltime:</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nu</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Da</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ajutor</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Deschide</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salveaza</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abandoneaza</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplica</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Inchide</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reinitializeaza</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Reincearca</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>Valori implicite</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Renunta</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignora</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>N&amp;u la toate</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>Salveaza tot</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Nu salva</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>Da la &amp;toate</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>to</source>
        <translation>pana la</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Oprit</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Print all</source>
        <translation>Tipareste tot</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Pagini</translation>
    </message>
    <message>
        <source>Current Page</source>
        <translation>Pagina curenta</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Selectia</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>Copii</translation>
    </message>
    <message>
        <source>Print range</source>
        <translation>Domeniu de tiparire</translation>
    </message>
    <message>
        <source>Color Mode</source>
        <translation>Mod culoare</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optiuni</translation>
    </message>
    <message>
        <source>Output Settings</source>
        <translation>Setari iesire</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>Ordine inversa</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Tonuri de gri</translation>
    </message>
    <message>
        <source>Collate</source>
        <translation>Asamblare</translation>
    </message>
    <message>
        <source>Copies:</source>
        <translation>Copii:</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Legare pe latura scurta</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Indicati pagini sau domenii separate prin virgula. Un domeniu se da prin doua numere separate de cratima. De ex.: 3,5-7,9 tipareste paginile 3, 5, 6, 7 si 9.</translation>
    </message>
    <message>
        <source>Pages from</source>
        <translation>Paginile de la</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Tiparire fata-verso</translation>
    </message>
    <message>
        <source>Page Set:</source>
        <translation>Set de pagini:</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Legare pe latura lunga</translation>
    </message>
</context>
<context>
    <name>QPrintPreviewDialog</name>
    <message>
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>Previzualizare tiparire</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Tipareste</translation>
    </message>
    <message>
        <source>Fit page</source>
        <translation>Toata pagina</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Mareste</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Peisaj</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Micsoreaza</translation>
    </message>
    <message>
        <source>Fit width</source>
        <translation>Latimea paginii</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Portret</translation>
    </message>
    <message>
        <source>Page Setup</source>
        <translation>Asezare pagina</translation>
    </message>
    <message>
        <source>Page setup</source>
        <translation>Asezare pagina</translation>
    </message>
    <message>
        <source>Show overview of all pages</source>
        <translation>Arata toate paginile</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>Prima pagina</translation>
    </message>
    <message>
        <source>Last page</source>
        <translation>Ultima pagina</translation>
    </message>
    <message>
        <source>Show single page</source>
        <translation>Arata o singura pagina</translation>
    </message>
    <message>
        <source>Export to PDF</source>
        <translation>Exporta in PDF</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Pagina anterioara</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Pagina urmatoare</translation>
    </message>
    <message>
        <source>Show facing pages</source>
        <translation>Arata paginile fata in fata</translation>
    </message>
</context>
<context>
    <name>QPrintWidget</name>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Tip:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Nume:</translation>
    </message>
    <message>
        <source>Output &amp;file:</source>
        <translation>&amp;Fisier de iesire:</translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation>P&amp;roprietati</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Previzualizare</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Imprimanta</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Locatie:</translation>
    </message>
</context>
<context>
    <name>QCupsJobWidget</name>
    <message>
        <source>Job</source>
        <translation>Lucrare</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>Sfarsit:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Niciuna</translation>
    </message>
    <message>
        <source>Banner Pages</source>
        <translation>Pagini de separare</translation>
    </message>
    <message>
        <source>Night (18:00 to 05:59)</source>
        <translation>Noaptea (18:00 - 05:59)</translation>
    </message>
    <message>
        <source>Specific Time</source>
        <translation>La o anumita ora</translation>
    </message>
    <message>
        <source>Billing information:</source>
        <translation>Date de facturare:</translation>
    </message>
    <message>
        <source>Scheduled printing:</source>
        <translation>Tiparire programata:</translation>
    </message>
    <message>
        <source>Secret</source>
        <translation>Secret</translation>
    </message>
    <message>
        <source>Top Secret</source>
        <translation>Strict secret</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Inceput:</translation>
    </message>
    <message>
        <source>Day (06:00 to 17:59)</source>
        <translation>Ziua (06:00 - 17:59)</translation>
    </message>
    <message>
        <source>Second Shift (16:00 to 23:59)</source>
        <translation>Schimbul doi (16:00 - 23:59)</translation>
    </message>
    <message>
        <source>Job Control</source>
        <translation>Controlul lucrarii</translation>
    </message>
    <message>
        <source>Weekend (Saturday to Sunday)</source>
        <translation>Sfarsit de saptamana (sambata - duminica)</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Classified</source>
        <translation>Clasificat</translation>
    </message>
    <message>
        <source>Third Shift (00:00 to 07:59)</source>
        <translation>Schimbul trei (00:00 - 07:59)</translation>
    </message>
    <message>
        <source>Hold Indefinitely</source>
        <translation>Retine pe termen nelimitat</translation>
    </message>
    <message>
        <source>Print Immediately</source>
        <translation>Tipareste imediat</translation>
    </message>
    <message>
        <source>Confidential</source>
        <translation>Confidential</translation>
    </message>
    <message>
        <source>Job priority:</source>
        <translation>Prioritatea lucrarii:</translation>
    </message>
    <message>
        <source>Unclassified</source>
        <translation>Neclasificat</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Back</source>
        <translation>Inapoi</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Deschide</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Deschide</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Salveaza</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fisiere</translation>
    </message>
    <message>
        <source>Show </source>
        <translation>Arata </translation>
    </message>
    <message>
        <source>&apos;%1&apos; is write protected.
Do you want to delete it anyway?</source>
        <translation>&apos;%1&apos; este protejat la scriere.
Doriti totusi sa il stergeti?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &apos;%1&apos;?</source>
        <translation>Sigur doriti sa stergeti &apos;%1&apos;?</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>Lista de locuri si semne de carte</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>&amp;Nume fisier:</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Sterge</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Dosar nou</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>Dosarul parinte</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>Dosar &amp;nou</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Elimina</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Cauta in:</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>Creeaza un dosar nou</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>Fisiere de tipul:</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>Alegeti dosarul</translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>Arata fisierele &amp;ascunse</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Salveaza ca</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
Dosarul nu a fost gasit.
Verificati numele dosarului.</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Bara laterala</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>Lista</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>&amp;Alege</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Sterge</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Toate fisierele (*)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Toate fisierele (*)</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Dosare</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>&amp;Redenumeste</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>Dosarul nu poate fi sters.</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Dosar:</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 exista deja.
Doriti sa il inlocuiti?</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Inainte</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>Mergi inainte</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>Mergi la dosarul parinte</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>Locuri recente</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>Mergi inapoi</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>Arata detaliile</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>Creeaza dosar nou</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>Detalii</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
Fisierul nu a fost gasit.
Verificati numele fisierului.</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>Arata ca lista</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Taie</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiaza</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Refa</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Anuleaza</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Lipeste</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Sterge</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Selecteaza tot</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Taie</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiaza</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Refa</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Anuleaza</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Lipeste</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Sterge</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Selecteaza tot</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>Copiaza &amp;adresa legaturii</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>File</source>
        <translation>Fisier</translation>
    </message>
    <message>
        <source>Alias</source>
        <translation>Alias</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Unitate</translation>
    </message>
    <message>
        <source>File Folder</source>
        <translation>Dosar de fisiere</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dosar</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Necunoscut</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Scurtatura</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Pagina</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Unele optiuni sunt in conflict. Corectati-le.</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Avansat</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Kind</source>
        <translation>Fel</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nume</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Dimensiune</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>Calculatorul meu</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Calculator</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Data modificarii</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Even Pages</source>
        <translation>Paginile pare</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Tiparire</translation>
    </message>
    <message>
        <source>&amp;Options &lt;&lt;</source>
        <translation>&amp;Optiuni &lt;&lt;</translation>
    </message>
    <message>
        <source>&amp;Options &gt;&gt;</source>
        <translation>&amp;Optiuni &gt;&gt;</translation>
    </message>
    <message>
        <source>Left to Right, Top to Bottom</source>
        <translation>De la stanga la dreapta, de sus in jos</translation>
    </message>
    <message>
        <source>Right to Left, Bottom to Top</source>
        <translation>De la dreapta la stanga, de jos in sus</translation>
    </message>
    <message>
        <source>Write PDF file</source>
        <translation>Scrie fisier PDF</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Tipareste</translation>
    </message>
    <message>
        <source>1 (1x1)</source>
        <translation>1 (1x1)</translation>
    </message>
    <message>
        <source>Options &apos;Pages Per Sheet&apos; and &apos;Page Set&apos; cannot be used together.
Please turn one of those options off.</source>
        <translation>Optiunile &apos;Pagini pe foaie&apos; si &apos;Set de pagini&apos; nu pot fi folosite impreuna.
Dezactivati una dintre ele.</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to overwrite it?</source>
        <translation>%1 exista deja.
Doriti sa il suprascrieti?</translation>
    </message>
    <message>
        <source>2 (2x1)</source>
        <translation>2 (2x1)</translation>
    </message>
    <message>
        <source>Left to Right, Bottom to Top</source>
        <translation>De la stanga la dreapta, de jos in sus</translation>
    </message>
    <message>
        <source>4 (2x2)</source>
        <translation>4 (2x2)</translation>
    </message>
    <message>
        <source>Odd Pages</source>
        <translation>Paginile impare</translation>
    </message>
    <message>
        <source>Local file</source>
        <translation>Fisier local</translation>
    </message>
    <message>
        <source>6 (2x3)</source>
        <translation>6 (2x3)</translation>
    </message>
    <message>
        <source>16 (4x4)</source>
        <translation>16 (4x4)</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>Setarile fata-verso sunt in conflict. Doriti sa le corectati?</translation>
    </message>
    <message>
        <source>Print to File (PDF)</source>
        <translation>Tipareste in fisier (PDF)</translation>
    </message>
    <message>
        <source>Print To File ...</source>
        <translation>Tipareste in fisier...</translation>
    </message>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>Pagini indicate gresit</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>%1 nu este scris corect. Folositi &apos;,&apos; intre domenii si pagini, &apos;-&apos; pentru un domeniu, iar domeniile nu trebuie sa se suprapuna.</translation>
    </message>
    <message>
        <source>9 (3x3)</source>
        <translation>9 (3x3)</translation>
    </message>
    <message>
        <source>Right to Left, Top to Bottom</source>
        <translation>De la dreapta la stanga, de sus in jos</translation>
    </message>
    <message>
        <source>Bottom to Top, Left to Right</source>
        <translation>De jos in sus, de la stanga la dreapta</translation>
    </message>
    <message>
        <source>The &apos;From&apos; value cannot be greater than the &apos;To&apos; value.</source>
        <translation>Valoarea &apos;de la&apos; nu poate fi mai mare decat valoarea &apos;pana la&apos;.</translation>
    </message>
    <message>
        <source>All Pages</source>
        <translation>Toate paginile</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>Conflicte la tiparirea fata-verso</translation>
    </message>
    <message>
        <source>%1 is a directory.
Please choose a different file name.</source>
        <translation>%1 este un dosar.
Alegeti un alt nume de fisier.</translation>
    </message>
    <message>
        <source>File %1 is not writable.
Please choose a different file name.</source>
        <translation>Fisierul %1 nu poate fi scris.
Alegeti un alt nume de fisier.</translation>
    </message>
    <message>
        <source>Bottom to Top, Right to Left</source>
        <translation>De jos in sus, de la dreapta la stanga</translation>
    </message>
    <message>
        <source>Top to Bottom, Left to Right</source>
        <translation>De sus in jos, de la stanga la dreapta</translation>
    </message>
    <message>
        <source>Top to Bottom, Right to Left</source>
        <translation>De sus in jos, de la dreapta la stanga</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>Conflicte intre optiunile avansate</translation>
    </message>
    <message>
        <source>Job Options</source>
        <translation>Optiunile lucrarii</translation>
    </message>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>Conflicte la asezarea paginii</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>Unele optiuni avansate sunt in conflict. Doriti sa le corectati?</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>Optiunile de asezare a paginii sunt in conflict. Doriti sa le corectati?</translation>
    </message>
    <message>
        <source>Printer Properties</source>
        <translation>Proprietatile imprimantei</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>Arata detaliile...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>Ascunde detaliile...</translation>
    </message>
</context>
</TS>
