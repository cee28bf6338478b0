<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>RecordMenu</name>
    <message>
        <source>Copy as Zone File Text</source>
        <translation>Als Zonendatei-Text kopieren</translation>
    </message>
    <message numerus="yes">
        <source>Copy %n Records as Zone File Text</source>
        <translation>
            <numerusform>%n Eintrag als Zonendatei-Text kopieren</numerusform>
            <numerusform>%n Einträge als Zonendatei-Text kopieren</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Copy Record Set %1 (%n records)</source>
        <translation>
            <numerusform>Eintragsgruppe %1 kopieren (%n Eintrag)</numerusform>
            <numerusform>Eintragsgruppe %1 kopieren (%n Einträge)</numerusform>
        </translation>
    </message>
    <message>
        <source>Look Up %1</source>
        <translation>%1 nachschlagen</translation>
    </message>
</context>
<context>
    <name>korvi::AboutView</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>DNS Management Made Easy</source>
        <translation>DNS-Verwaltung leicht gemacht</translation>
    </message>
    <message>
        <source>Read the GNU GPL</source>
        <translation>Die GNU GPL lesen</translation>
    </message>
    <message>
        <source>© 2026 The Korvi developers</source>
        <translation>© 2026 Die Korvi-Entwickler</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later.</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder neuer.</translation>
    </message>
</context>
<context>
    <name>korvi::AboutWindowController</name>
    <message>
        <source>About Korvi</source>
        <translation>Über Korvi</translation>
    </message>
</context>
<context>
    <name>korvi::AddRecordView</name>
    <message>
        <source>Add DNS Record</source>
        <translation>DNS-Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Create a new DNS record for %1</source>
        <translation>Einen neuen DNS-Eintrag für %1 anlegen</translation>
    </message>
    <message>
        <source>Save Record</source>
        <translation>Eintrag speichern</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>Wird gespeichert…</translation>
    </message>
</context>
<context>
    <name>korvi::AddSecondaryZoneDialog</name>
    <message>
        <source>Add Secondary Zone</source>
        <translation>Sekundärzone hinzufügen</translation>
    </message>
    <message>
        <source>This server copies the zone from its primary and answers for it; its records are changed on the primary.</source>
        <translation>Dieser Server kopiert die Zone von ihrem Primärserver und beantwortet Anfragen für sie; ihre Einträge werden auf dem Primärserver geändert.</translation>
    </message>
    <message>
        <source>Zone name:</source>
        <translation>Zonenname:</translation>
    </message>
    <message>
        <source>Primary address:</source>
        <translation>Adresse des Primärservers:</translation>
    </message>
    <message>
        <source>Primary port:</source>
        <translation>Port des Primärservers:</translation>
    </message>
    <message>
        <source>TSIG key name:</source>
        <translation>Name des TSIG-Schlüssels:</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>optional</translation>
    </message>
</context>
<context>
    <name>korvi::AddZoneView</name>
    <message>
        <source>Add Domain</source>
        <translation>Domain hinzufügen</translation>
    </message>
    <message>
        <source>Add New Domain</source>
        <translation>Neue Domain hinzufügen</translation>
    </message>
    <message>
        <source>Configure a new DNS zone for your domain</source>
        <translation>Eine neue DNS-Zone für Ihre Domain einrichten</translation>
    </message>
    <message>
        <source>Domain Information</source>
        <translation>Domain-Angaben</translation>
    </message>
    <message>
        <source>Domain Name *</source>
        <translation>Domainname *</translation>
    </message>
    <message>
        <source>Enter the domain name you want to manage</source>
        <translation>Geben Sie den Domainnamen ein, den Sie verwalten möchten</translation>
    </message>
    <message>
        <source>SOA Record Configuration</source>
        <translation>Einstellungen des SOA-Eintrags</translation>
    </message>
    <message>
        <source>Start of Authority record defines the authoritative information about your DNS zone</source>
        <translation>Der SOA-Eintrag (Start of Authority) enthält die maßgeblichen Angaben zu Ihrer DNS-Zone</translation>
    </message>
    <message>
        <source>Primary Name Server</source>
        <translation>Primärer Nameserver</translation>
    </message>
    <message>
        <source>The primary authoritative name server for this domain</source>
        <translation>Der primäre autoritative Nameserver dieser Domain</translation>
    </message>
    <message>
        <source>Administrator Email</source>
        <translation>E-Mail des Administrators</translation>
    </message>
    <message>
        <source>Email address of the domain administrator (replace @ with .)</source>
        <translation>E-Mail-Adresse des Domain-Administrators (@ durch . ersetzen)</translation>
    </message>
    <message>
        <source>Name Server Address *</source>
        <translation>Adresse des Nameservers *</translation>
    </message>
    <message>
        <source>The primary name server is inside this domain: its address (IPv4 or IPv6) is added to the zone so that the domain can be served at once</source>
        <translation>Der primäre Nameserver liegt in dieser Domain: Seine Adresse (IPv4 oder IPv6) wird der Zone hinzugefügt, damit die Domain sofort bedient werden kann</translation>
    </message>
    <message>
        <source>Zone File Information</source>
        <translation>Angaben zur Zonendatei</translation>
    </message>
    <message>
        <source>File Location:</source>
        <translation>Speicherort:</translation>
    </message>
    <message>
        <source>The zone file will be automatically created and configured</source>
        <translation>Die Zonendatei wird automatisch angelegt und eingerichtet</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Create Domain</source>
        <translation>Domain anlegen</translation>
    </message>
    <message>
        <source>Domain name is required</source>
        <translation>Ein Domainname ist erforderlich</translation>
    </message>
    <message>
        <source>Invalid domain name format. Please enter a valid domain like &apos;example.com&apos;</source>
        <translation>Ungültiger Domainname. Bitte geben Sie eine gültige Domain wie &apos;example.com&apos; ein</translation>
    </message>
    <message>
        <source>The name server %1 is inside this domain: enter its IPv4 or IPv6 address</source>
        <translation>Der Nameserver %1 liegt in dieser Domain: Geben Sie seine IPv4- oder IPv6-Adresse ein</translation>
    </message>
    <message>
        <source>Creating…</source>
        <translation>Wird angelegt…</translation>
    </message>
    <message>
        <source>The domain was not created.</source>
        <translation>Die Domain wurde nicht angelegt.</translation>
    </message>
    <message>
        <source>Error Creating Zone</source>
        <translation>Fehler beim Anlegen der Zone</translation>
    </message>
    <message>
        <source>[domain]</source>
        <translation>[Domain]</translation>
    </message>
</context>
<context>
    <name>korvi::AddingRecordsSection</name>
    <message>
        <source>Adding DNS Records</source>
        <translation>DNS-Einträge hinzufügen</translation>
    </message>
    <message>
        <source>DNS records are the entries of a zone: each one ties a name to an address, a mail server, an alias or another piece of information that clients can look up.</source>
        <translation>DNS-Einträge sind der Inhalt einer Zone: Jeder verknüpft einen Namen mit einer Adresse, einem Mailserver, einem Alias oder einer anderen Angabe, die Clients abfragen können.</translation>
    </message>
    <message>
        <source>Step-by-Step: Adding Records</source>
        <translation>Schritt für Schritt: Einträge hinzufügen</translation>
    </message>
    <message>
        <source>Navigate to &apos;DNS Records&apos; in the sidebar</source>
        <translation>Öffnen Sie &apos;DNS-Einträge&apos; in der Seitenleiste</translation>
    </message>
    <message>
        <source>Select a zone from the left panel</source>
        <translation>Wählen Sie links eine Zone aus</translation>
    </message>
    <message>
        <source>Click &apos;Add Record&apos; button</source>
        <translation>Klicken Sie auf &apos;Eintrag hinzufügen&apos;</translation>
    </message>
    <message>
        <source>Choose the record type and fill in the details</source>
        <translation>Wählen Sie den Eintragstyp und füllen Sie die Angaben aus</translation>
    </message>
    <message>
        <source>Click &apos;Save Record&apos; to add it to the zone</source>
        <translation>Klicken Sie auf &apos;Eintrag speichern&apos;, um ihn der Zone hinzuzufügen</translation>
    </message>
    <message>
        <source>Common Record Examples</source>
        <translation>Häufige Beispiele</translation>
    </message>
    <message>
        <source>Website (A Record)</source>
        <translation>Website (A-Eintrag)</translation>
    </message>
    <message>
        <source>Name: www, Type: A, Value: 192.168.1.100</source>
        <translation>Name: www, Typ: A, Wert: 192.168.1.100</translation>
    </message>
    <message>
        <source>Email Server (MX Record)</source>
        <translation>Mailserver (MX-Eintrag)</translation>
    </message>
    <message>
        <source>Name: @, Type: MX, Priority: 10, Value: mail.example.com.</source>
        <translation>Name: @, Typ: MX, Priorität: 10, Wert: mail.example.com.</translation>
    </message>
    <message>
        <source>Subdomain Alias (CNAME Record)</source>
        <translation>Alias für eine Subdomain (CNAME-Eintrag)</translation>
    </message>
    <message>
        <source>Name: blog, Type: CNAME, Value: www.example.com.</source>
        <translation>Name: blog, Typ: CNAME, Wert: www.example.com.</translation>
    </message>
</context>
<context>
    <name>korvi::AdoptZoneDialog</name>
    <message>
        <source>Adopt into Korvi</source>
        <translation>In Korvi übernehmen</translation>
    </message>
    <message>
        <source>Adopt “%1” into Korvi?</source>
        <translation>„%1“ in Korvi übernehmen?</translation>
    </message>
    <message>
        <source>Adopt</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Korvi takes the statement of zone “%1” out of %2 (nothing else in that file changes) and lists the zone in its own include file, %3. From then on Korvi edits the zone and writes its file, %4, from the records it reads now from %5; it never writes %5.

Before anything changes, copies of %2 and of the zone&apos;s file go into a new folder below %6. BIND&apos;s checker judges the new configuration first: if it refuses, or any step fails, nothing stays changed.</source>
        <translation>Korvi nimmt die Anweisung der Zone „%1“ aus %2 heraus (sonst ändert sich nichts in dieser Datei) und führt die Zone in seiner eigenen Include-Datei %3. Von da an bearbeitet Korvi die Zone und schreibt ihre Datei %4 aus den Einträgen, die es jetzt aus %5 liest; %5 selbst schreibt es nie.

Bevor sich etwas ändert, werden Kopien von %2 und der Zonendatei in einem neuen Ordner unter %6 abgelegt. BINDs Prüfprogramm beurteilt zuerst die neue Konfiguration: Lehnt es sie ab oder schlägt ein Schritt fehl, bleibt nichts geändert.</translation>
    </message>
</context>
<context>
    <name>korvi::ApplyChangesButton</name>
    <message>
        <source>Show the collected changes and apply them to the server</source>
        <translation>Die gesammelten Änderungen zeigen und auf den Server anwenden</translation>
    </message>
    <message>
        <source>Apply (1 change)</source>
        <translation>Anwenden (1 Änderung)</translation>
    </message>
    <message numerus="yes">
        <source>Apply (%n changes)</source>
        <translation>
            <numerusform>Anwenden (%n Änderung)</numerusform>
            <numerusform>Anwenden (%n Änderungen)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>korvi::ApplyChangesDialog</name>
    <message>
        <source>1 change</source>
        <translation>1 Änderung</translation>
    </message>
    <message numerus="yes">
        <source>%n changes</source>
        <translation>
            <numerusform>%n Änderung</numerusform>
            <numerusform>%n Änderungen</numerusform>
        </translation>
    </message>
    <message>
        <source>Apply Changes</source>
        <translation>Änderungen anwenden</translation>
    </message>
    <message>
        <source>Discard All</source>
        <translation>Alle verwerfen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>%1 (now)</source>
        <translation>%1 (jetzt)</translation>
    </message>
    <message>
        <source>%1 (after applying)</source>
        <translation>%1 (nach dem Anwenden)</translation>
    </message>
    <message>
        <source>No changes are waiting to be applied.</source>
        <translation>Es warten keine Änderungen darauf, angewendet zu werden.</translation>
    </message>
    <message>
        <source>%1 in %2. Each zone file below changes as shown; applying writes them all, reloads the zones and checks that the server serves them. If any zone fails, every file is put back.</source>
        <translation>%1 in %2. Jede Zonendatei unten ändert sich wie gezeigt; beim Anwenden werden alle geschrieben, die Zonen neu geladen und geprüft, ob der Server sie ausliefert. Schlägt eine Zone fehl, wird jede Datei zurückgesetzt.</translation>
    </message>
    <message>
        <source>1 zone</source>
        <translation>1 Zone</translation>
    </message>
    <message numerus="yes">
        <source>%n zones</source>
        <translation>
            <numerusform>%n Zone</numerusform>
            <numerusform>%n Zonen</numerusform>
        </translation>
    </message>
    <message>
        <source>⏳ Applying the changes and waiting for the server to serve them…</source>
        <translation>⏳ Die Änderungen werden angewendet; Korvi wartet, bis der Server sie ausliefert…</translation>
    </message>
    <message>
        <source>✅ The changes were applied and the server serves them.</source>
        <translation>✅ Die Änderungen wurden angewendet und der Server liefert sie aus.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Discard %1?</source>
        <translation>%1 verwerfen?</translation>
    </message>
    <message>
        <source>The zones go back to how they were last applied. This cannot be undone.</source>
        <translation>Die Zonen kehren zu ihrem zuletzt angewendeten Stand zurück. Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>Differences</source>
        <translation>Unterschiede</translation>
    </message>
</context>
<context>
    <name>korvi::ApplySettingsSection</name>
    <message>
        <source>Applying Changes</source>
        <translation>Änderungen anwenden</translation>
    </message>
    <message>
        <source>Apply each change at once</source>
        <translation>Jede Änderung sofort anwenden</translation>
    </message>
    <message>
        <source>Collect changes and apply them together</source>
        <translation>Änderungen sammeln und gemeinsam anwenden</translation>
    </message>
    <message>
        <source>Collected changes show in the lists at once; the zone files and the server change only when you apply them with the Apply button.</source>
        <translation>Gesammelte Änderungen erscheinen sofort in den Listen; die Zonendateien und der Server ändern sich erst, wenn Sie sie mit der Schaltfläche „Anwenden“ anwenden.</translation>
    </message>
    <message>
        <source>Wait for the server to serve a change (seconds)</source>
        <translation>Warten, bis der Server eine Änderung ausliefert (Sekunden)</translation>
    </message>
    <message>
        <source>Snapshots kept per zone</source>
        <translation>Aufbewahrte Snapshots je Zone</translation>
    </message>
    <message>
        <source>⚠️ 1 change is collected and not applied yet. Apply or discard it first; then each change can be applied at once.</source>
        <translation>⚠️ 1 Änderung ist gesammelt und noch nicht angewendet. Wenden Sie sie zuerst an oder verwerfen Sie sie; danach kann jede Änderung sofort angewendet werden.</translation>
    </message>
    <message numerus="yes">
        <source>⚠️ %n changes are collected and not applied yet. Apply or discard them first; then each change can be applied at once.</source>
        <translation>
            <numerusform>⚠️ %n Änderung ist gesammelt und noch nicht angewendet. Wenden Sie sie zuerst an oder verwerfen Sie sie; danach lässt sich jede Änderung sofort anwenden.</numerusform>
            <numerusform>⚠️ %n Änderungen sind gesammelt und noch nicht angewendet. Wenden Sie sie zuerst an oder verwerfen Sie sie; danach lässt sich jede Änderung sofort anwenden.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>korvi::BestPracticesSection</name>
    <message>
        <source>DNS Best Practices</source>
        <translation>Bewährte Vorgehensweisen für DNS</translation>
    </message>
    <message>
        <source>A few habits keep your zones easy to read, your server safe and your answers fast.</source>
        <translation>Einige Gewohnheiten halten Ihre Zonen übersichtlich, Ihren Server sicher und Ihre Antworten schnell.</translation>
    </message>
    <message>
        <source>Naming Conventions</source>
        <translation>Namenskonventionen</translation>
    </message>
    <message>
        <source>• Use lower-case letters, digits and hyphens in host names</source>
        <translation>• Verwenden Sie in Hostnamen Kleinbuchstaben, Ziffern und Bindestriche</translation>
    </message>
    <message>
        <source>• Name hosts after their role (www, mail, ns1), not their hardware</source>
        <translation>• Benennen Sie Hosts nach ihrer Aufgabe (www, mail, ns1), nicht nach ihrer Hardware</translation>
    </message>
    <message>
        <source>• Keep names short and easy to type</source>
        <translation>• Halten Sie Namen kurz und leicht zu tippen</translation>
    </message>
    <message>
        <source>• Use a private suffix such as .local or .internal for internal zones</source>
        <translation>• Verwenden Sie für interne Zonen eine private Endung wie .local oder .internal</translation>
    </message>
    <message>
        <source>• Number similar hosts consistently (web1, web2, ...)</source>
        <translation>• Nummerieren Sie gleichartige Hosts einheitlich (web1, web2, ...)</translation>
    </message>
    <message>
        <source>TTL (Time To Live) Guidelines</source>
        <translation>Richtwerte für die TTL (Time To Live)</translation>
    </message>
    <message>
        <source>Short TTL (300-3600 seconds)</source>
        <translation>Kurze TTL (300–3600 Sekunden)</translation>
    </message>
    <message>
        <source>For records that change frequently or during migrations</source>
        <translation>Für Einträge, die sich oft ändern, oder während Umzügen</translation>
    </message>
    <message>
        <source>Medium TTL (3600-86400 seconds)</source>
        <translation>Mittlere TTL (3600–86400 Sekunden)</translation>
    </message>
    <message>
        <source>For most production services with stable IPs</source>
        <translation>Für die meisten Produktivdienste mit festen IP-Adressen</translation>
    </message>
    <message>
        <source>Long TTL (86400+ seconds)</source>
        <translation>Lange TTL (86400 Sekunden und mehr)</translation>
    </message>
    <message>
        <source>For very stable records like NS and MX records</source>
        <translation>Für sehr beständige Einträge wie NS- und MX-Einträge</translation>
    </message>
    <message>
        <source>Security Considerations</source>
        <translation>Sicherheit</translation>
    </message>
    <message>
        <source>• Set allow-transfer to none unless you run secondary servers</source>
        <translation>• Setzen Sie allow-transfer auf none, sofern Sie keine Sekundärserver betreiben</translation>
    </message>
    <message>
        <source>• Limit allow-query to the networks that need your server</source>
        <translation>• Beschränken Sie allow-query auf die Netze, die Ihren Server brauchen</translation>
    </message>
    <message>
        <source>• Turn recursion off on servers that face the internet</source>
        <translation>• Schalten Sie die Rekursion auf Servern aus, die aus dem Internet erreichbar sind</translation>
    </message>
    <message>
        <source>• Keep BIND up to date with security releases</source>
        <translation>• Halten Sie BIND mit Sicherheitsupdates aktuell</translation>
    </message>
    <message>
        <source>• Enable DNSSEC validation where your clients can use it</source>
        <translation>• Schalten Sie die DNSSEC-Validierung ein, wo Ihre Clients sie nutzen können</translation>
    </message>
    <message>
        <source>• Check the logs regularly for unexpected queries</source>
        <translation>• Prüfen Sie das Protokoll regelmäßig auf unerwartete Anfragen</translation>
    </message>
    <message>
        <source>Performance Tips</source>
        <translation>Tipps zur Leistung</translation>
    </message>
    <message>
        <source>• Use forwarders close to your network</source>
        <translation>• Verwenden Sie Forwarder in der Nähe Ihres Netzes</translation>
    </message>
    <message>
        <source>• Raise TTLs for records that rarely change</source>
        <translation>• Erhöhen Sie die TTL von Einträgen, die sich selten ändern</translation>
    </message>
    <message>
        <source>• Keep zones small and remove records nobody uses</source>
        <translation>• Halten Sie Zonen klein und entfernen Sie ungenutzte Einträge</translation>
    </message>
    <message>
        <source>• Avoid long chains of CNAME records</source>
        <translation>• Vermeiden Sie lange Ketten von CNAME-Einträgen</translation>
    </message>
    <message>
        <source>• Reload the server instead of restarting it after changes</source>
        <translation>• Laden Sie den Server nach Änderungen neu, statt ihn neu zu starten</translation>
    </message>
</context>
<context>
    <name>korvi::ConfiguredZonesSection</name>
    <message>
        <source>Other Zones in BIND&apos;s Configuration</source>
        <translation>Weitere Zonen in der Konfiguration von BIND</translation>
    </message>
    <message>
        <source>BIND serves these zones, but Korvi does not edit them: they are declared outside Korvi&apos;s own include file, are not primary zones, or belong to a view. Korvi never writes their files. A primary zone declared in an administrator&apos;s file can be adopted: Korvi then edits it.</source>
        <translation>BIND bedient diese Zonen, aber Korvi bearbeitet sie nicht: Sie sind außerhalb von Korvis eigener Include-Datei deklariert, sind keine Primärzonen oder gehören zu einer View. Korvi schreibt ihre Dateien nie. Eine Primärzone aus einer Datei des Administrators kann übernommen werden: Dann bearbeitet Korvi sie.</translation>
    </message>
    <message>
        <source> · view %1</source>
        <translation> · View %1</translation>
    </message>
    <message>
        <source>declaring file unknown</source>
        <translation>deklarierende Datei unbekannt</translation>
    </message>
    <message>
        <source>declared in %1</source>
        <translation>deklariert in %1</translation>
    </message>
    <message>
        <source> · read-only</source>
        <translation> · schreibgeschützt</translation>
    </message>
    <message>
        <source>Adopt into Korvi</source>
        <translation>In Korvi übernehmen</translation>
    </message>
    <message>
        <source>Move this zone&apos;s statement into Korvi&apos;s include, so that Korvi edits it</source>
        <translation>Die Anweisung dieser Zone in Korvis Include-Datei verschieben, damit Korvi sie bearbeitet</translation>
    </message>
    <message>
        <source>Taking zone &apos;%1&apos; over...</source>
        <translation>Zone &apos;%1&apos; wird übernommen...</translation>
    </message>
</context>
<context>
    <name>korvi::CreatingZonesSection</name>
    <message>
        <source>Creating DNS Zones</source>
        <translation>DNS-Zonen anlegen</translation>
    </message>
    <message>
        <source>A DNS zone is a portion of the DNS namespace that you manage. Each zone holds the records of one domain, such as mycompany.local, and your BIND server answers for it from the zone&apos;s own file.</source>
        <translation>Eine DNS-Zone ist ein Teil des DNS-Namensraums, den Sie verwalten. Jede Zone enthält die Einträge einer Domain wie mycompany.local, und Ihr BIND-Server beantwortet Anfragen dazu aus der Datei der Zone.</translation>
    </message>
    <message>
        <source>Step-by-Step: Creating a Zone</source>
        <translation>Schritt für Schritt: Eine Zone anlegen</translation>
    </message>
    <message>
        <source>Navigate to &apos;Zone Management&apos; in the sidebar</source>
        <translation>Öffnen Sie &apos;Zonenverwaltung&apos; in der Seitenleiste</translation>
    </message>
    <message>
        <source>Click the &apos;Add Domain&apos; button</source>
        <translation>Klicken Sie auf &apos;Domain hinzufügen&apos;</translation>
    </message>
    <message>
        <source>Enter your domain name (e.g., &apos;mycompany.local&apos;)</source>
        <translation>Geben Sie Ihren Domainnamen ein (z. B. &apos;mycompany.local&apos;)</translation>
    </message>
    <message>
        <source>Configure the primary name server and admin email</source>
        <translation>Legen Sie den primären Nameserver und die E-Mail des Administrators fest</translation>
    </message>
    <message>
        <source>Click &apos;Create Domain&apos; to save the zone</source>
        <translation>Klicken Sie auf &apos;Domain anlegen&apos;, um die Zone zu speichern</translation>
    </message>
    <message>
        <source>Zone Components</source>
        <translation>Bestandteile einer Zone</translation>
    </message>
    <message>
        <source>SOA Record (Start of Authority)</source>
        <translation>SOA-Eintrag (Start of Authority)</translation>
    </message>
    <message>
        <source>Names the primary name server and the administrator of the zone, and holds the serial number and the timers that secondary servers and caches follow</source>
        <translation>Nennt den primären Nameserver und den Administrator der Zone und enthält die Seriennummer sowie die Zeitwerte, nach denen sich Sekundärserver und Caches richten</translation>
    </message>
    <message>
        <source>NS Records (Name Server)</source>
        <translation>NS-Einträge (Nameserver)</translation>
    </message>
    <message>
        <source>List the name servers that answer authoritatively for the zone</source>
        <translation>Nennen die Nameserver, die für die Zone autoritativ antworten</translation>
    </message>
    <message>
        <source>Zone File</source>
        <translation>Zonendatei</translation>
    </message>
    <message>
        <source>The file that contains all DNS records for the zone, automatically created and managed by Korvi</source>
        <translation>Die Datei mit allen DNS-Einträgen der Zone, von Korvi automatisch angelegt und verwaltet</translation>
    </message>
</context>
<context>
    <name>korvi::DNSBasicsSection</name>
    <message>
        <source>DNS Fundamentals</source>
        <translation>DNS-Grundlagen</translation>
    </message>
    <message>
        <source>Domain Name System (DNS) is the phonebook of the internet. It translates human-readable domain names into IP addresses that computers use to communicate.</source>
        <translation>Das Domain Name System (DNS) ist das Telefonbuch des Internets. Es übersetzt für Menschen lesbare Domainnamen in IP-Adressen, über die Computer miteinander kommunizieren.</translation>
    </message>
    <message>
        <source>Key Concepts</source>
        <translation>Wichtige Begriffe</translation>
    </message>
    <message>
        <source>🌐 Domain Names</source>
        <translation>🌐 Domainnamen</translation>
    </message>
    <message>
        <source>Human-readable names like &apos;example.com&apos; that users type in browsers</source>
        <translation>Für Menschen lesbare Namen wie &apos;example.com&apos;, die man im Browser eingibt</translation>
    </message>
    <message>
        <source>🏠 IP Addresses</source>
        <translation>🏠 IP-Adressen</translation>
    </message>
    <message>
        <source>Numerical addresses like &apos;192.168.1.1&apos; that computers use to locate servers</source>
        <translation>Numerische Adressen wie &apos;192.168.1.1&apos;, über die Computer Server finden</translation>
    </message>
    <message>
        <source>📁 DNS Zones</source>
        <translation>📁 DNS-Zonen</translation>
    </message>
    <message>
        <source>Administrative spaces that contain DNS records for a particular domain</source>
        <translation>Verwaltungsbereiche, die die DNS-Einträge einer bestimmten Domain enthalten</translation>
    </message>
    <message>
        <source>📝 DNS Records</source>
        <translation>📝 DNS-Einträge</translation>
    </message>
    <message>
        <source>Individual entries that map domain names to IP addresses or other information</source>
        <translation>Einzelne Einträge, die Domainnamen IP-Adressen oder andere Angaben zuordnen</translation>
    </message>
    <message>
        <source>How DNS Works</source>
        <translation>So funktioniert DNS</translation>
    </message>
    <message>
        <source>User types &apos;example.com&apos; in browser</source>
        <translation>Jemand gibt &apos;example.com&apos; im Browser ein</translation>
    </message>
    <message>
        <source>Computer asks DNS server for IP address</source>
        <translation>Der Computer fragt einen DNS-Server nach der IP-Adresse</translation>
    </message>
    <message>
        <source>DNS server responds with &apos;192.168.1.100&apos;</source>
        <translation>Der DNS-Server antwortet mit &apos;192.168.1.100&apos;</translation>
    </message>
    <message>
        <source>Browser connects to the IP address</source>
        <translation>Der Browser verbindet sich mit der IP-Adresse</translation>
    </message>
</context>
<context>
    <name>korvi::DNSConfigView</name>
    <message>
        <source>Critical</source>
        <translation>Kritisch</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>Server Configuration</source>
        <translation>Serverkonfiguration</translation>
    </message>
    <message>
        <source>These server-wide settings are read from %1, a file the BIND package owns. Korvi shows them but does not change them; edit that file to change them.</source>
        <translation>Diese serverweiten Einstellungen werden aus %1 gelesen, einer Datei des BIND-Pakets. Korvi zeigt sie an, ändert sie aber nicht; bearbeiten Sie diese Datei, um sie zu ändern.</translation>
    </message>
    <message>
        <source>Listen Addresses</source>
        <translation>Empfangsadressen</translation>
    </message>
    <message>
        <source>IP addresses the server will listen on:</source>
        <translation>IP-Adressen, auf denen der Server Anfragen annimmt:</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Add Listen Address</source>
        <translation>Empfangsadresse hinzufügen</translation>
    </message>
    <message>
        <source>Allow Query</source>
        <translation>Abfragen erlauben</translation>
    </message>
    <message>
        <source>IP addresses or networks allowed to query:</source>
        <translation>IP-Adressen oder Netze, die abfragen dürfen:</translation>
    </message>
    <message>
        <source>IP/Network</source>
        <translation>IP/Netz</translation>
    </message>
    <message>
        <source>Add Allow Query</source>
        <translation>Erlaubte Abfrage hinzufügen</translation>
    </message>
    <message>
        <source>Forwarders</source>
        <translation>Forwarder</translation>
    </message>
    <message>
        <source>DNS servers to forward unresolved queries to:</source>
        <translation>DNS-Server, an die nicht auflösbare Anfragen weitergeleitet werden:</translation>
    </message>
    <message>
        <source>Forwarder IP</source>
        <translation>IP des Forwarders</translation>
    </message>
    <message>
        <source>Add Forwarder</source>
        <translation>Forwarder hinzufügen</translation>
    </message>
    <message>
        <source>Basic Settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Listen Port:</source>
        <translation>Empfangsport:</translation>
    </message>
    <message>
        <source>Recursion</source>
        <translation>Rekursion</translation>
    </message>
    <message>
        <source>Recursion:</source>
        <translation>Rekursion:</translation>
    </message>
    <message>
        <source>Enable DNSSEC</source>
        <translation>DNSSEC einschalten</translation>
    </message>
    <message>
        <source>Enable DNSSEC:</source>
        <translation>DNSSEC einschalten:</translation>
    </message>
    <message>
        <source>Logging Level</source>
        <translation>Protokollstufe</translation>
    </message>
    <message>
        <source>Logging Level:</source>
        <translation>Protokollstufe:</translation>
    </message>
    <message>
        <source>Quick Forwarder Presets</source>
        <translation>Forwarder-Vorlagen</translation>
    </message>
    <message>
        <source>Add common DNS forwarders:</source>
        <translation>Gängige DNS-Forwarder hinzufügen:</translation>
    </message>
    <message>
        <source>Save Configuration</source>
        <translation>Konfiguration speichern</translation>
    </message>
    <message>
        <source>Reload from File</source>
        <translation>Aus Datei neu laden</translation>
    </message>
    <message>
        <source>Secondaries…</source>
        <translation>Sekundärserver…</translation>
    </message>
    <message>
        <source>BIND Server Status: %1</source>
        <translation>Status des BIND-Servers: %1</translation>
    </message>
    <message>
        <source>Configuration changes will take effect after server reload</source>
        <translation>Konfigurationsänderungen wirken nach dem Neuladen des Servers</translation>
    </message>
    <message>
        <source>Configuration changes will take effect when server starts</source>
        <translation>Konfigurationsänderungen wirken beim Start des Servers</translation>
    </message>
    <message>
        <source>Configuration changes are available immediately but require server reload to take effect</source>
        <translation>Konfigurationsänderungen sind sofort verfügbar, wirken aber erst nach dem Neuladen des Servers</translation>
    </message>
    <message>
        <source>Configuration changes will be saved and applied when the server starts</source>
        <translation>Konfigurationsänderungen werden gespeichert und beim Start des Servers angewendet</translation>
    </message>
    <message>
        <source>Reload Server</source>
        <translation>Server neu laden</translation>
    </message>
    <message>
        <source>Reload Server (Disabled)</source>
        <translation>Server neu laden (deaktiviert)</translation>
    </message>
</context>
<context>
    <name>korvi::DNSRecordType</name>
    <message>
        <source>IPv4 Address</source>
        <translation>IPv4-Adresse</translation>
    </message>
    <message>
        <source>Points domain to IPv4 address</source>
        <translation>Verweist die Domain auf eine IPv4-Adresse</translation>
    </message>
    <message>
        <source>IPv4 address (e.g., 192.168.1.100)</source>
        <translation>IPv4-Adresse (z. B. 192.168.1.100)</translation>
    </message>
    <message>
        <source>IPv6 Address</source>
        <translation>IPv6-Adresse</translation>
    </message>
    <message>
        <source>Points domain to IPv6 address</source>
        <translation>Verweist die Domain auf eine IPv6-Adresse</translation>
    </message>
    <message>
        <source>IPv6 address (e.g., 2001:db8::1)</source>
        <translation>IPv6-Adresse (z. B. 2001:db8::1)</translation>
    </message>
    <message>
        <source>Certificate Authority Authorization</source>
        <translation>Autorisierung von Zertifizierungsstellen</translation>
    </message>
    <message>
        <source>For issue and issuewild the certificate authority&apos;s domain (letsencrypt.org), or ; for none; for iodef a mailto: or https: address for reports</source>
        <translation>Für issue und issuewild die Domain der Zertifizierungsstelle (letsencrypt.org) oder ; für keine; für iodef eine mailto:- oder https:-Adresse für Berichte</translation>
    </message>
    <message>
        <source>Canonical Name</source>
        <translation>Kanonischer Name</translation>
    </message>
    <message>
        <source>Creates alias to another domain</source>
        <translation>Legt einen Alias auf eine andere Domain an</translation>
    </message>
    <message>
        <source>Target host name: a name without a final dot is in this zone (www means www.&lt;zone&gt;.), @ is the zone itself, a name ending in a dot is written as it stands</source>
        <translation>Zielhostname: Ein Name ohne abschließenden Punkt liegt in dieser Zone (www bedeutet www.&lt;zone&gt;.), @ ist die Zone selbst, ein Name mit abschließendem Punkt wird so geschrieben, wie er ist</translation>
    </message>
    <message>
        <source>Mail Exchange</source>
        <translation>Mailserver</translation>
    </message>
    <message>
        <source>Directs email to mail server</source>
        <translation>Leitet E-Mail an einen Mailserver</translation>
    </message>
    <message>
        <source>Mail server host name: a name without a final dot is in this zone (mail means mail.&lt;zone&gt;.), @ is the zone itself, a name ending in a dot is written as it stands</source>
        <translation>Hostname des Mailservers: Ein Name ohne abschließenden Punkt liegt in dieser Zone (mail bedeutet mail.&lt;zone&gt;.), @ ist die Zone selbst, ein Name mit abschließendem Punkt wird so geschrieben, wie er ist</translation>
    </message>
    <message>
        <source>Name Server</source>
        <translation>Nameserver</translation>
    </message>
    <message>
        <source>Delegates subdomain to name server</source>
        <translation>Delegiert eine Subdomain an einen Nameserver</translation>
    </message>
    <message>
        <source>Name server host name: a name without a final dot is in this zone (ns1 means ns1.&lt;zone&gt;.), a name ending in a dot is written as it stands</source>
        <translation>Hostname des Nameservers: Ein Name ohne abschließenden Punkt liegt in dieser Zone (ns1 bedeutet ns1.&lt;zone&gt;.), ein Name mit abschließendem Punkt wird so geschrieben, wie er ist</translation>
    </message>
    <message>
        <source>Pointer</source>
        <translation>Zeiger</translation>
    </message>
    <message>
        <source>Reverse DNS lookup (IP to domain)</source>
        <translation>Rückwärtsauflösung (IP-Adresse zu Domain)</translation>
    </message>
    <message>
        <source>Host name for reverse DNS, usually ending in a dot (host.example.com.); a name without a final dot is in this zone</source>
        <translation>Hostname für die Rückwärtsauflösung, meist mit abschließendem Punkt (host.example.com.); ein Name ohne abschließenden Punkt liegt in dieser Zone</translation>
    </message>
    <message>
        <source>Start of Authority</source>
        <translation>Start of Authority</translation>
    </message>
    <message>
        <source>Start of Authority (zone configuration)</source>
        <translation>Start of Authority (Einstellungen der Zone)</translation>
    </message>
    <message>
        <source>Primary NS and admin email in format: ns1.domain.com. admin.domain.com.</source>
        <translation>Primärer Nameserver und E-Mail des Administrators im Format: ns1.domain.com. admin.domain.com.</translation>
    </message>
    <message>
        <source>Service</source>
        <translation>Dienst</translation>
    </message>
    <message>
        <source>Service location (protocol and port)</source>
        <translation>Ort eines Dienstes (Protokoll und Port)</translation>
    </message>
    <message>
        <source>Target host name: a name without a final dot is in this zone (sip means sip.&lt;zone&gt;.), a name ending in a dot is written as it stands, . for no service</source>
        <translation>Zielhostname: Ein Name ohne abschließenden Punkt liegt in dieser Zone (sip bedeutet sip.&lt;zone&gt;.), ein Name mit abschließendem Punkt wird so geschrieben, wie er ist, . für keinen Dienst</translation>
    </message>
    <message>
        <source>SSH Fingerprint</source>
        <translation>SSH-Fingerabdruck</translation>
    </message>
    <message>
        <source>SSH public key fingerprint</source>
        <translation>Fingerabdruck eines öffentlichen SSH-Schlüssels</translation>
    </message>
    <message>
        <source>Fingerprint in hexadecimal: 40 digits for SHA-1 (type 1), 64 for SHA-256 (type 2); spaces and colons are dropped</source>
        <translation>Fingerabdruck hexadezimal: 40 Ziffern für SHA-1 (Typ 1), 64 für SHA-256 (Typ 2); Leerzeichen und Doppelpunkte werden entfernt</translation>
    </message>
    <message>
        <source>TLS Association</source>
        <translation>TLS-Zuordnung</translation>
    </message>
    <message>
        <source>TLS certificate association</source>
        <translation>Zuordnung eines TLS-Zertifikats</translation>
    </message>
    <message>
        <source>Certificate data in hexadecimal: 64 digits for SHA-256 (matching 1), 128 for SHA-512 (matching 2), the whole data for matching 0</source>
        <translation>Zertifikatsdaten hexadezimal: 64 Ziffern für SHA-256 (Matching 1), 128 für SHA-512 (Matching 2), die vollständigen Daten für Matching 0</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Text data (SPF, DKIM, verification)</source>
        <translation>Textdaten (SPF, DKIM, Verifizierung)</translation>
    </message>
    <message>
        <source>Text as it should read (SPF, DKIM, verification); it is one string, however long. Text in double quotes (&quot;a&quot; &quot;b&quot;) is taken as those strings</source>
        <translation>Der Text, wie er lauten soll (SPF, DKIM, Verifizierung); er ist eine Zeichenkette, gleich wie lang. Text in doppelten Anführungszeichen (&quot;a&quot; &quot;b&quot;) wird als diese Zeichenketten übernommen</translation>
    </message>
</context>
<context>
    <name>korvi::DNSRecordView</name>
    <message>
        <source>1 record</source>
        <translation>1 Eintrag</translation>
    </message>
    <message numerus="yes">
        <source>%n records</source>
        <translation>
            <numerusform>%n Eintrag</numerusform>
            <numerusform>%n Einträge</numerusform>
        </translation>
    </message>
    <message>
        <source>DNS Records</source>
        <translation>DNS-Einträge</translation>
    </message>
    <message>
        <source>BIND DNS Server is not running</source>
        <translation>Der BIND-DNS-Server läuft nicht</translation>
    </message>
    <message>
        <source>DNS record management is disabled. Start the BIND server to add, edit, or delete records.</source>
        <translation>Die Verwaltung der DNS-Einträge ist gesperrt. Starten Sie den BIND-Server, um Einträge hinzuzufügen, zu bearbeiten oder zu löschen.</translation>
    </message>
    <message>
        <source>Zones</source>
        <translation>Zonen</translation>
    </message>
    <message>
        <source>No zones available</source>
        <translation>Keine Zonen vorhanden</translation>
    </message>
    <message>
        <source>Create a zone in Zone Management to start adding DNS records</source>
        <translation>Legen Sie in der Zonenverwaltung eine Zone an, um DNS-Einträge hinzuzufügen</translation>
    </message>
    <message>
        <source>Select a zone to view records</source>
        <translation>Wählen Sie eine Zone, um ihre Einträge zu sehen</translation>
    </message>
    <message>
        <source>Choose a zone from the list on the left to manage its DNS records</source>
        <translation>Wählen Sie links eine Zone aus der Liste, um ihre DNS-Einträge zu verwalten</translation>
    </message>
    <message>
        <source>Search records...</source>
        <translation>Einträge durchsuchen...</translation>
    </message>
    <message>
        <source>Search records (%1)</source>
        <translation>Einträge durchsuchen (%1)</translation>
    </message>
    <message>
        <source>Cards</source>
        <translation>Karten</translation>
    </message>
    <message>
        <source>Show the records as cards</source>
        <translation>Die Einträge als Karten zeigen</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>Tabelle</translation>
    </message>
    <message>
        <source>Show the records as a table, one line each</source>
        <translation>Die Einträge als Tabelle zeigen, je eine Zeile</translation>
    </message>
    <message>
        <source>Delete Selected</source>
        <translation>Auswahl löschen</translation>
    </message>
    <message>
        <source>Delete the selected records (%1)</source>
        <translation>Die ausgewählten Einträge löschen (%1)</translation>
    </message>
    <message>
        <source>Add Record</source>
        <translation>Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Add a record (%1)</source>
        <translation>Einen Eintrag hinzufügen (%1)</translation>
    </message>
    <message>
        <source>%1 Zone</source>
        <translation>Zone %1</translation>
    </message>
    <message>
        <source>%1 read-only (types Korvi lists and keeps but does not edit)</source>
        <translation>%1 schreibgeschützt (Typen, die Korvi anzeigt und bewahrt, aber nicht bearbeitet)</translation>
    </message>
    <message>
        <source>Read-only records cannot be deleted: Korvi keeps records of these types exactly as they are.</source>
        <translation>Schreibgeschützte Einträge können nicht gelöscht werden: Korvi bewahrt Einträge dieser Typen genau so, wie sie sind.</translation>
    </message>
    <message>
        <source>

1 record in the selection is read-only and will be kept: Korvi does not delete records of types it keeps without editing.</source>
        <translation>

1 Eintrag in der Auswahl ist schreibgeschützt und bleibt erhalten: Korvi löscht keine Einträge der Typen, die es unbearbeitet bewahrt.</translation>
    </message>
    <message numerus="yes">
        <source>

%n records in the selection are read-only and will be kept: Korvi does not delete records of types it keeps without editing.</source>
        <translation>
            <numerusform>

%n Eintrag der Auswahl ist schreibgeschützt und bleibt erhalten: Korvi löscht keine Einträge der Typen, die es unverändert bewahrt.</numerusform>
            <numerusform>

%n Einträge der Auswahl sind schreibgeschützt und bleiben erhalten: Korvi löscht keine Einträge der Typen, die es unverändert bewahrt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Delete Records</source>
        <translation>Einträge löschen</translation>
    </message>
    <message>
        <source>Delete %1?</source>
        <translation>%1 löschen?</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>The records were not deleted: %1</source>
        <translation>Die Einträge wurden nicht gelöscht: %1</translation>
    </message>
    <message>
        <source>Search records</source>
        <translation>Einträge durchsuchen</translation>
    </message>
    <message>
        <source>The record will be removed from zone %1. This cannot be undone.</source>
        <translation>Der Eintrag wird aus der Zone %1 entfernt. Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message numerus="yes">
        <source>%n records will be removed from zone %1. This cannot be undone.</source>
        <translation>
            <numerusform>%n Eintrag wird aus der Zone %1 entfernt. Dies kann nicht rückgängig gemacht werden.</numerusform>
            <numerusform>%n Einträge werden aus der Zone %1 entfernt. Dies kann nicht rückgängig gemacht werden.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>korvi::DashboardView</name>
    <message>
        <source>Dashboard</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>System Status</source>
        <translation>Systemstatus</translation>
    </message>
    <message>
        <source>BIND Server</source>
        <translation>BIND-Server</translation>
    </message>
    <message>
        <source>BIND DNS server not detected</source>
        <translation>Kein BIND-DNS-Server gefunden</translation>
    </message>
    <message>
        <source>macOS / Homebrew</source>
        <translation>macOS / Homebrew</translation>
    </message>
    <message>
        <source>Layout: %1 — %2</source>
        <translation>Aufbau: %1 — %2</translation>
    </message>
    <message>
        <source>Package Manager</source>
        <translation>Paketverwaltung</translation>
    </message>
    <message>
        <source>Refresh package manager detection</source>
        <translation>Paketverwaltung erneut erkennen</translation>
    </message>
    <message>
        <source>Required for BIND installation</source>
        <translation>Für die Installation von BIND nötig</translation>
    </message>
    <message>
        <source>DNS Statistics</source>
        <translation>DNS-Statistik</translation>
    </message>
    <message>
        <source>Active Zones</source>
        <translation>Aktive Zonen</translation>
    </message>
    <message>
        <source>Total Records</source>
        <translation>Einträge insgesamt</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
</context>
<context>
    <name>korvi::EditRecordView</name>
    <message>
        <source>Edit DNS Record</source>
        <translation>DNS-Eintrag bearbeiten</translation>
    </message>
    <message>
        <source>Modify record in %1</source>
        <translation>Eintrag in %1 ändern</translation>
    </message>
    <message>
        <source>Save Changes</source>
        <translation>Änderungen speichern</translation>
    </message>
    <message>
        <source>Loading record...</source>
        <translation>Eintrag wird geladen...</translation>
    </message>
    <message>
        <source>Danger Zone</source>
        <translation>Gefahrenbereich</translation>
    </message>
    <message>
        <source>Delete this DNS record</source>
        <translation>Diesen DNS-Eintrag löschen</translation>
    </message>
    <message>
        <source>Delete Record</source>
        <translation>Eintrag löschen</translation>
    </message>
    <message>
        <source>This action cannot be undone</source>
        <translation>Dies kann nicht rückgängig gemacht werden</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>Wird gespeichert…</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the %1 record &apos;%2&apos; (%3)? This action cannot be undone.</source>
        <translation>Möchten Sie den %1-Eintrag &apos;%2&apos; (%3) wirklich löschen? Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Deleting…</source>
        <translation>Wird gelöscht…</translation>
    </message>
</context>
<context>
    <name>korvi::EditableListSection</name>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>%1, entry %2</source>
        <translation>%1, Eintrag %2</translation>
    </message>
    <message>
        <source>Remove entry %1</source>
        <translation>Eintrag %1 entfernen</translation>
    </message>
</context>
<context>
    <name>korvi::HistoryView</name>
    <message>
        <source>configuration %1</source>
        <translation>Konfiguration %1</translation>
    </message>
    <message>
        <source>zone file %1</source>
        <translation>Zonendatei %1</translation>
    </message>
    <message>
        <source>Change History</source>
        <translation>Änderungsverlauf</translation>
    </message>
    <message>
        <source>No changes yet: every change you apply is kept here and can be restored</source>
        <translation>Noch keine Änderungen: Jede angewendete Änderung wird hier aufbewahrt und kann wiederhergestellt werden</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>All zones</source>
        <translation>Alle Zonen</translation>
    </message>
    <message>
        <source>Reading the change…</source>
        <translation>Die Änderung wird gelesen…</translation>
    </message>
    <message>
        <source>(no file)</source>
        <translation>(keine Datei)</translation>
    </message>
    <message>
        <source>%1: unchanged</source>
        <translation>%1: unverändert</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Remove Zone</source>
        <translation>Zone entfernen</translation>
    </message>
    <message>
        <source>Restoring…</source>
        <translation>Wird wiederhergestellt…</translation>
    </message>
    <message>
        <source>⏳ Restoring zone &apos;%1&apos;…</source>
        <translation>⏳ Zone &apos;%1&apos; wird wiederhergestellt…</translation>
    </message>
    <message>
        <source>✅ Restored: the server serves the zone as it was before that change</source>
        <translation>✅ Wiederhergestellt: Der Server liefert die Zone so aus, wie sie vor dieser Änderung war</translation>
    </message>
    <message>
        <source>❌ The restore was not applied: %1</source>
        <translation>❌ Die Wiederherstellung wurde nicht angewendet: %1</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Änderungen</translation>
    </message>
    <message>
        <source>Comparison</source>
        <translation>Vergleich</translation>
    </message>
</context>
<context>
    <name>korvi::ImportZoneView</name>
    <message>
        <source>Import Zone</source>
        <translation>Zone importieren</translation>
    </message>
    <message>
        <source>A new zone from a BIND zone file, from zone text or by a zone transfer. Preview shows what will be imported before anything changes.</source>
        <translation>Eine neue Zone aus einer BIND-Zonendatei, aus Zonentext oder per Zonentransfer. „Vorschau“ zeigt, was importiert wird, bevor sich etwas ändert.</translation>
    </message>
    <message>
        <source>Zone File</source>
        <translation>Zonendatei</translation>
    </message>
    <message>
        <source>Zone Text</source>
        <translation>Zonentext</translation>
    </message>
    <message>
        <source>Zone Transfer</source>
        <translation>Zonentransfer</translation>
    </message>
    <message>
        <source>Zone name</source>
        <translation>Zonenname</translation>
    </message>
    <message>
        <source>example.com</source>
        <translation>example.com</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>TTL</source>
        <translation>TTL</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>Not imported</source>
        <translation>Nicht importiert</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Grund</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>/etc/bind/db.example.com</source>
        <translation>/etc/bind/db.example.com</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Auswählen…</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Paste the zone&apos;s text: $TTL, the SOA and the records, as in a BIND zone file.</source>
        <translation>Fügen Sie den Text der Zone ein: $TTL, den SOA und die Einträge, wie in einer BIND-Zonendatei.</translation>
    </message>
    <message>
        <source>192.0.2.1 or 192.0.2.1:5353</source>
        <translation>192.0.2.1 oder 192.0.2.1:5353</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>optional</translation>
    </message>
    <message>
        <source>base64, as in the key statement</source>
        <translation>base64, wie in der key-Anweisung</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>TSIG key name</source>
        <translation>Name des TSIG-Schlüssels</translation>
    </message>
    <message>
        <source>Algorithm</source>
        <translation>Algorithmus</translation>
    </message>
    <message>
        <source>Secret</source>
        <translation>Geheimnis</translation>
    </message>
    <message>
        <source>Choose a Zone File</source>
        <translation>Zonendatei auswählen</translation>
    </message>
    <message>
        <source>Enter the zone&apos;s name.</source>
        <translation>Geben Sie den Namen der Zone ein.</translation>
    </message>
    <message>
        <source>Choose the zone file to import.</source>
        <translation>Wählen Sie die zu importierende Zonendatei aus.</translation>
    </message>
    <message>
        <source>Paste the zone&apos;s text to import.</source>
        <translation>Fügen Sie den zu importierenden Text der Zone ein.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a server address: type an IPv4 or IPv6 address, with :port when it is not 53.</source>
        <translation>„%1“ ist keine Serveradresse: Geben Sie eine IPv4- oder IPv6-Adresse ein, mit :Port, wenn er nicht 53 ist.</translation>
    </message>
    <message>
        <source>Enter the TSIG key&apos;s secret, or leave the key name empty.</source>
        <translation>Geben Sie das Geheimnis des TSIG-Schlüssels ein oder lassen Sie den Schlüsselnamen leer.</translation>
    </message>
    <message>
        <source>Reading…</source>
        <translation>Wird gelesen…</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n records to import</source>
        <translation>
            <numerusform>%1: %n Eintrag zu importieren</numerusform>
            <numerusform>%1: %n Einträge zu importieren</numerusform>
        </translation>
    </message>
    <message>
        <source>From %1. SOA: %2 %3, serial %4, refresh %5, retry %6, expire %7, minimum %8</source>
        <translation>Von %1. SOA: %2 %3, Seriennummer %4, Refresh %5, Retry %6, Expire %7, Minimum %8</translation>
    </message>
    <message>
        <source>Importing…</source>
        <translation>Wird importiert…</translation>
    </message>
    <message>
        <source>The zone was not imported.</source>
        <translation>Die Zone wurde nicht importiert.</translation>
    </message>
    <message>
        <source>Records to import</source>
        <translation>Zu importierende Einträge</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n records to import, %2 not imported</source>
        <translation>
            <numerusform>%1: %n Eintrag zu importieren, %2 nicht importiert</numerusform>
            <numerusform>%1: %n Einträge zu importieren, %2 nicht importiert</numerusform>
        </translation>
    </message>
    <message>
        <source>From %1. SOA: %2 %3, serial %4, refresh %5, retry %6, expire %7, minimum %8, TTL %9</source>
        <translation>Von %1. SOA: %2 %3, Seriennummer %4, Refresh %5, Retry %6, Expire %7, Minimum %8, TTL %9</translation>
    </message>
</context>
<context>
    <name>korvi::IntroductionSection</name>
    <message>
        <source>Welcome to Korvi</source>
        <translation>Willkommen bei Korvi</translation>
    </message>
    <message>
        <source>Korvi is a desktop application for managing the BIND DNS server on your own machine. Whether you run a local development environment, look after a small office network or are learning how DNS works, Korvi lets you create zones, edit their records and keep an eye on your server without editing configuration files by hand.</source>
        <translation>Korvi ist eine Desktop-Anwendung zur Verwaltung des BIND-DNS-Servers auf Ihrem eigenen Rechner. Ob Sie eine lokale Entwicklungsumgebung betreiben, ein kleines Büronetz betreuen oder lernen, wie DNS funktioniert: Mit Korvi legen Sie Zonen an, bearbeiten ihre Einträge und behalten Ihren Server im Blick, ohne Konfigurationsdateien von Hand zu bearbeiten.</translation>
    </message>
    <message>
        <source>What You&apos;ll Learn</source>
        <translation>Was Sie lernen</translation>
    </message>
    <message>
        <source>DNS fundamentals and terminology</source>
        <translation>DNS-Grundlagen und Begriffe</translation>
    </message>
    <message>
        <source>How to create and manage DNS zones</source>
        <translation>DNS-Zonen anlegen und verwalten</translation>
    </message>
    <message>
        <source>Adding and configuring DNS records</source>
        <translation>DNS-Einträge hinzufügen und einrichten</translation>
    </message>
    <message>
        <source>Server configuration and best practices</source>
        <translation>Serverkonfiguration und bewährte Vorgehensweisen</translation>
    </message>
    <message>
        <source>Troubleshooting common issues</source>
        <translation>Häufige Probleme lösen</translation>
    </message>
    <message>
        <source>Prerequisites</source>
        <translation>Voraussetzungen</translation>
    </message>
    <message>
        <source>• Linux (Debian 12 or later, Ubuntu, Fedora) or macOS with Homebrew</source>
        <translation>• Linux (Debian 12 oder neuer, Ubuntu, Fedora) oder macOS mit Homebrew</translation>
    </message>
    <message>
        <source>• BIND DNS server (can be installed through Korvi)</source>
        <translation>• BIND-DNS-Server (lässt sich über Korvi installieren)</translation>
    </message>
    <message>
        <source>• Administrator privileges for server management</source>
        <translation>• Administratorrechte für die Serververwaltung</translation>
    </message>
    <message>
        <source>• Basic understanding of networking concepts</source>
        <translation>• Grundkenntnisse über Netzwerke</translation>
    </message>
</context>
<context>
    <name>korvi::KorviOverviewSection</name>
    <message>
        <source>Korvi Application Overview</source>
        <translation>Korvi im Überblick</translation>
    </message>
    <message>
        <source>Korvi provides five main sections to manage your DNS server effectively:</source>
        <translation>Korvi bietet fünf Hauptbereiche, um Ihren DNS-Server wirksam zu verwalten:</translation>
    </message>
    <message>
        <source>Navigation Sections</source>
        <translation>Bereiche der Navigation</translation>
    </message>
    <message>
        <source>Dashboard</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>Overview of server status, statistics, and quick actions</source>
        <translation>Überblick über Serverstatus, Statistik und Schnellaktionen</translation>
    </message>
    <message>
        <source>Zone Management</source>
        <translation>Zonenverwaltung</translation>
    </message>
    <message>
        <source>Create, edit, and delete DNS zones for your domains</source>
        <translation>DNS-Zonen für Ihre Domains anlegen, bearbeiten und löschen</translation>
    </message>
    <message>
        <source>DNS Records</source>
        <translation>DNS-Einträge</translation>
    </message>
    <message>
        <source>Manage individual DNS records within your zones</source>
        <translation>Einzelne DNS-Einträge in Ihren Zonen verwalten</translation>
    </message>
    <message>
        <source>Server Configuration</source>
        <translation>Serverkonfiguration</translation>
    </message>
    <message>
        <source>Configure BIND server settings, forwarders, and security</source>
        <translation>Einstellungen, Forwarder und Sicherheit des BIND-Servers festlegen</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>View real-time DNS server logs and troubleshoot issues</source>
        <translation>Das Protokoll des DNS-Servers live verfolgen und Probleme lösen</translation>
    </message>
    <message>
        <source>Key Features</source>
        <translation>Wichtige Funktionen</translation>
    </message>
    <message>
        <source>• Native desktop interface that follows your system&apos;s look</source>
        <translation>• Native Oberfläche, die dem Erscheinungsbild Ihres Systems folgt</translation>
    </message>
    <message>
        <source>• Real-time server status monitoring</source>
        <translation>• Überwachung des Serverstatus in Echtzeit</translation>
    </message>
    <message>
        <source>• BIND configuration validation</source>
        <translation>• Prüfung der BIND-Konfiguration</translation>
    </message>
    <message>
        <source>• Import existing BIND configurations</source>
        <translation>• Import bestehender BIND-Konfigurationen</translation>
    </message>
    <message>
        <source>• Comprehensive DNS record type support</source>
        <translation>• Unterstützung vieler DNS-Eintragstypen</translation>
    </message>
    <message>
        <source>• Built-in security and validation</source>
        <translation>• Eingebaute Sicherheit und Prüfung</translation>
    </message>
</context>
<context>
    <name>korvi::LogsView</name>
    <message>
        <source>Server Logs</source>
        <translation>Serverprotokoll</translation>
    </message>
    <message>
        <source>Clear Logs</source>
        <translation>Protokoll leeren</translation>
    </message>
    <message>
        <source>No Logs Available</source>
        <translation>Kein Protokoll vorhanden</translation>
    </message>
    <message>
        <source>Server logs will appear here when events occur</source>
        <translation>Protokollzeilen des Servers erscheinen hier, sobald etwas geschieht</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Log lines</source>
        <translation>Protokollzeilen</translation>
    </message>
</context>
<context>
    <name>korvi::LookupView</name>
    <message>
        <source>Lookup</source>
        <translation>Abfrage</translation>
    </message>
    <message>
        <source>Ask a DNS server one question and see its answer as dig shows it.</source>
        <translation>Stellen Sie einem DNS-Server eine Frage und sehen Sie seine Antwort so, wie dig sie zeigt.</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Korvi&apos;s server (%1:%2)</source>
        <translation>Korvis Server (%1:%2)</translation>
    </message>
    <message>
        <source>An address, with :port when it is not 53; empty asks the server Korvi manages</source>
        <translation>Eine Adresse, mit :Port, wenn er nicht 53 ist; leer fragt den Server, den Korvi verwaltet</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>www.example.com</source>
        <translation>www.example.com</translation>
    </message>
    <message>
        <source>Look Up</source>
        <translation>Nachschlagen</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Antwort</translation>
    </message>
    <message>
        <source>The answer shows here.</source>
        <translation>Hier erscheint die Antwort.</translation>
    </message>
    <message>
        <source>Enter the name to look up.</source>
        <translation>Geben Sie den Namen ein, der nachgeschlagen werden soll.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a server address: type an IPv4 or IPv6 address, with :port when it is not 53 ([2001:db8::1]:5353 for IPv6).</source>
        <translation>„%1“ ist keine Serveradresse: Geben Sie eine IPv4- oder IPv6-Adresse ein, mit :Port, wenn er nicht 53 ist ([2001:db8::1]:5353 für IPv6).</translation>
    </message>
    <message>
        <source>Asking…</source>
        <translation>Wird gefragt…</translation>
    </message>
    <message>
        <source>Flags: %1</source>
        <translation>Flags: %1</translation>
    </message>
    <message>
        <source>No response</source>
        <translation>Keine Antwort</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
</context>
<context>
    <name>korvi::MainWindow</name>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Apply the collected change before quitting?</source>
        <translation>Die gesammelte Änderung vor dem Beenden anwenden?</translation>
    </message>
    <message numerus="yes">
        <source>Apply the %n collected changes before quitting?</source>
        <translation>
            <numerusform>Die %n gesammelte Änderung vor dem Beenden anwenden?</numerusform>
            <numerusform>Die %n gesammelten Änderungen vor dem Beenden anwenden?</numerusform>
        </translation>
    </message>
    <message>
        <source>Changes that are not applied are lost when Korvi closes.</source>
        <translation>Nicht angewendete Änderungen gehen verloren, wenn Korvi geschlossen wird.</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>The collected changes were not applied</source>
        <translation>Die gesammelten Änderungen wurden nicht angewendet</translation>
    </message>
    <message>
        <source>Stop the DNS server too?</source>
        <translation>Den DNS-Server ebenfalls anhalten?</translation>
    </message>
    <message>
        <source>The DNS server can keep answering queries after Korvi has closed.</source>
        <translation>Der DNS-Server kann weiter Anfragen beantworten, nachdem Korvi geschlossen wurde.</translation>
    </message>
    <message>
        <source>Stop Server</source>
        <translation>Server anhalten</translation>
    </message>
    <message>
        <source>Keep Running</source>
        <translation>Weiterlaufen lassen</translation>
    </message>
    <message>
        <source>Remember my answer</source>
        <translation>Antwort merken</translation>
    </message>
    <message>
        <source>Main</source>
        <translation>Hauptleiste</translation>
    </message>
    <message>
        <source>Refresh system status and load BIND configuration</source>
        <translation>Systemstatus aktualisieren und BIND-Konfiguration laden</translation>
    </message>
</context>
<context>
    <name>korvi::PtrPrompts</name>
    <message>
        <source>PTR Record Not Changed</source>
        <translation>PTR-Eintrag nicht geändert</translation>
    </message>
</context>
<context>
    <name>korvi::PtrQuestionDialog</name>
    <message>
        <source>PTR Record</source>
        <translation>PTR-Eintrag</translation>
    </message>
    <message>
        <source>Add the PTR record for %1 → %2?</source>
        <translation>Den PTR-Eintrag für %1 → %2 hinzufügen?</translation>
    </message>
    <message>
        <source>The address lies in the reverse zone %1. The PTR record %2 → %3 lets the address be looked up by name.</source>
        <translation>Die Adresse liegt in der Reverse-Zone %1. Mit dem PTR-Eintrag %2 → %3 lässt sich zur Adresse der Name nachschlagen.</translation>
    </message>
    <message>
        <source>Add PTR Record</source>
        <translation>PTR-Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Don&apos;t Add</source>
        <translation>Nicht hinzufügen</translation>
    </message>
</context>
<context>
    <name>korvi::PtrSettingsSection</name>
    <message>
        <source>Reverse Zones</source>
        <translation>Reverse-Zonen</translation>
    </message>
    <message>
        <source>PTR records for new addresses</source>
        <translation>PTR-Einträge für neue Adressen</translation>
    </message>
    <message>
        <source>Always add</source>
        <translation>Immer hinzufügen</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>Nachfragen</translation>
    </message>
    <message>
        <source>Never add</source>
        <translation>Nie hinzufügen</translation>
    </message>
    <message>
        <source>When an A or AAAA record gets an address inside one of your reverse zones, its PTR record can be added with it. A PTR record Korvi added moves when the address or name changes and goes when the record is deleted; other PTR records stay as they are.</source>
        <translation>Erhält ein A- oder AAAA-Eintrag eine Adresse in einer Ihrer Reverse-Zonen, kann sein PTR-Eintrag gleich mit angelegt werden. Ein von Korvi angelegter PTR-Eintrag folgt, wenn sich Adresse oder Name ändern, und verschwindet, wenn der Eintrag gelöscht wird; andere PTR-Einträge bleiben, wie sie sind.</translation>
    </message>
</context>
<context>
    <name>korvi::RecordFormFields</name>
    <message>
        <source>5 minutes (300)</source>
        <translation>5 Minuten (300)</translation>
    </message>
    <message>
        <source>1 hour (3600)</source>
        <translation>1 Stunde (3600)</translation>
    </message>
    <message>
        <source>24 hours (86400)</source>
        <translation>24 Stunden (86400)</translation>
    </message>
    <message>
        <source>1 week (604800)</source>
        <translation>1 Woche (604800)</translation>
    </message>
    <message>
        <source>0 - PKIX-TA (CA constraint)</source>
        <translation>0 - PKIX-TA (Vorgabe für die Zertifizierungsstelle)</translation>
    </message>
    <message>
        <source>1 - PKIX-EE (service certificate constraint)</source>
        <translation>1 - PKIX-EE (Vorgabe für das Dienstzertifikat)</translation>
    </message>
    <message>
        <source>2 - DANE-TA (trust anchor)</source>
        <translation>2 - DANE-TA (Vertrauensanker)</translation>
    </message>
    <message>
        <source>3 - DANE-EE (domain-issued certificate)</source>
        <translation>3 - DANE-EE (von der Domain ausgestelltes Zertifikat)</translation>
    </message>
    <message>
        <source>0 - Full certificate</source>
        <translation>0 - Ganzes Zertifikat</translation>
    </message>
    <message>
        <source>1 - Subject public key</source>
        <translation>1 - Öffentlicher Schlüssel des Inhabers</translation>
    </message>
    <message>
        <source>0 - Exact match</source>
        <translation>0 - Exakte Übereinstimmung</translation>
    </message>
    <message>
        <source>Record Information</source>
        <translation>Angaben zum Eintrag</translation>
    </message>
    <message>
        <source>Record Name</source>
        <translation>Name des Eintrags</translation>
    </message>
    <message>
        <source>www (or leave empty for @)</source>
        <translation>www (oder leer lassen für @)</translation>
    </message>
    <message>
        <source>Record name relative to %1 (@ for root domain)</source>
        <translation>Name des Eintrags relativ zu %1 (@ für die Domain selbst)</translation>
    </message>
    <message>
        <source>Record Type</source>
        <translation>Eintragstyp</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Value *</source>
        <translation>Wert *</translation>
    </message>
    <message>
        <source>Full name:</source>
        <translation>Vollständiger Name:</translation>
    </message>
    <message>
        <source>TTL (Time To Live)</source>
        <translation>TTL (Time To Live)</translation>
    </message>
    <message>
        <source>How long other servers should cache this record</source>
        <translation>Wie lange andere Server diesen Eintrag zwischenspeichern sollen</translation>
    </message>
    <message>
        <source>TTL</source>
        <translation>TTL</translation>
    </message>
    <message>
        <source>Quick TTL</source>
        <translation>TTL-Vorgaben</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Priority Value</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Lower values have higher priority (0-65535)</source>
        <translation>Kleinere Werte haben höhere Priorität (0-65535)</translation>
    </message>
    <message>
        <source>SRV Record Details</source>
        <translation>Angaben zum SRV-Eintrag</translation>
    </message>
    <message>
        <source>Weight</source>
        <translation>Gewicht</translation>
    </message>
    <message>
        <source>Relative weight for records with same priority</source>
        <translation>Relatives Gewicht bei Einträgen gleicher Priorität</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Target port number for the service</source>
        <translation>Zielport des Dienstes</translation>
    </message>
    <message>
        <source>CAA Record Details</source>
        <translation>Angaben zum CAA-Eintrag</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Flag</translation>
    </message>
    <message>
        <source>0 normally; 128 marks the property critical (0-255)</source>
        <translation>Normalerweise 0; 128 kennzeichnet die Eigenschaft als kritisch (0-255)</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>issue: who may issue certificates; issuewild: wildcard certificates; iodef: where to report</source>
        <translation>issue: wer Zertifikate ausstellen darf; issuewild: Wildcard-Zertifikate; iodef: wohin Meldungen gehen</translation>
    </message>
    <message>
        <source>SSHFP Record Details</source>
        <translation>Angaben zum SSHFP-Eintrag</translation>
    </message>
    <message>
        <source>Algorithm</source>
        <translation>Algorithmus</translation>
    </message>
    <message>
        <source>The algorithm of the host&apos;s SSH key</source>
        <translation>Der Algorithmus des SSH-Schlüssels des Hosts</translation>
    </message>
    <message>
        <source>Fingerprint Type</source>
        <translation>Fingerprint-Typ</translation>
    </message>
    <message>
        <source>The hash the fingerprint below was made with</source>
        <translation>Das Hashverfahren, mit dem der Fingerprint unten erstellt wurde</translation>
    </message>
    <message>
        <source>TLSA Record Details</source>
        <translation>Angaben zum TLSA-Eintrag</translation>
    </message>
    <message>
        <source>Usage</source>
        <translation>Verwendung</translation>
    </message>
    <message>
        <source>How the certificate is checked</source>
        <translation>Wie das Zertifikat geprüft wird</translation>
    </message>
    <message>
        <source>Selector</source>
        <translation>Selektor</translation>
    </message>
    <message>
        <source>Which part of the certificate is matched</source>
        <translation>Welcher Teil des Zertifikats verglichen wird</translation>
    </message>
    <message>
        <source>Matching Type</source>
        <translation>Vergleichsart</translation>
    </message>
    <message>
        <source>How the data below is compared</source>
        <translation>Wie die Daten unten verglichen werden</translation>
    </message>
    <message>
        <source>Record as it will be written</source>
        <translation>Der Eintrag, wie er geschrieben wird</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
</context>
<context>
    <name>korvi::RecordRowDelegate</name>
    <message>
        <source>TTL: %1</source>
        <translation>TTL: %1</translation>
    </message>
    <message>
        <source>Priority: %1</source>
        <translation>Priorität: %1</translation>
    </message>
    <message>
        <source>Weight: %1</source>
        <translation>Gewicht: %1</translation>
    </message>
    <message>
        <source>Port: %1</source>
        <translation>Port: %1</translation>
    </message>
    <message>
        <source>(Server Stopped)</source>
        <translation>(Server angehalten)</translation>
    </message>
    <message>
        <source>read-only</source>
        <translation>schreibgeschützt</translation>
    </message>
</context>
<context>
    <name>korvi::RecordSheet</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>The change was not applied.</source>
        <translation>Die Änderung wurde nicht angewendet.</translation>
    </message>
</context>
<context>
    <name>korvi::RecordTableModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>TTL</source>
        <translation>TTL</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>Read-only: Korvi lists and keeps %1 records but does not edit them</source>
        <translation>Schreibgeschützt: Korvi zeigt und bewahrt %1-Einträge, bearbeitet sie aber nicht</translation>
    </message>
</context>
<context>
    <name>korvi::RecordTableView</name>
    <message>
        <source>Records</source>
        <translation>Einträge</translation>
    </message>
</context>
<context>
    <name>korvi::RecordTypesSection</name>
    <message>
        <source>DNS Record Types</source>
        <translation>DNS-Eintragstypen</translation>
    </message>
    <message>
        <source>Korvi supports all common DNS record types. Here&apos;s what each one does and when to use them:</source>
        <translation>Korvi unterstützt alle gängigen DNS-Eintragstypen. Hier sehen Sie, wozu jeder dient und wann Sie ihn verwenden:</translation>
    </message>
    <message>
        <source>Address Records</source>
        <translation>Adresseinträge</translation>
    </message>
    <message>
        <source>A Record</source>
        <translation>A-Eintrag</translation>
    </message>
    <message>
        <source>Maps a name to an IPv4 address</source>
        <translation>Ordnet einem Namen eine IPv4-Adresse zu</translation>
    </message>
    <message>
        <source>web servers, hosts and devices on your network</source>
        <translation>Webserver, Hosts und Geräte in Ihrem Netz</translation>
    </message>
    <message>
        <source>AAAA Record</source>
        <translation>AAAA-Eintrag</translation>
    </message>
    <message>
        <source>Maps a name to an IPv6 address</source>
        <translation>Ordnet einem Namen eine IPv6-Adresse zu</translation>
    </message>
    <message>
        <source>hosts that are reachable over IPv6</source>
        <translation>Hosts, die über IPv6 erreichbar sind</translation>
    </message>
    <message>
        <source>Service Records</source>
        <translation>Diensteinträge</translation>
    </message>
    <message>
        <source>MX Record</source>
        <translation>MX-Eintrag</translation>
    </message>
    <message>
        <source>Names the mail servers of the domain, each with a priority</source>
        <translation>Nennt die Mailserver der Domain, jeden mit einer Priorität</translation>
    </message>
    <message>
        <source>receiving email for your domain</source>
        <translation>E-Mail-Empfang für Ihre Domain</translation>
    </message>
    <message>
        <source>SRV Record</source>
        <translation>SRV-Eintrag</translation>
    </message>
    <message>
        <source>Gives the host and port of a service, with priority and weight</source>
        <translation>Gibt Host und Port eines Dienstes an, mit Priorität und Gewicht</translation>
    </message>
    <message>
        <source>SIP, XMPP, LDAP and other services that clients look up</source>
        <translation>SIP, XMPP, LDAP und andere Dienste, die Clients nachschlagen</translation>
    </message>
    <message>
        <source>Name Records</source>
        <translation>Namenseinträge</translation>
    </message>
    <message>
        <source>CNAME Record</source>
        <translation>CNAME-Eintrag</translation>
    </message>
    <message>
        <source>Makes one name an alias of another</source>
        <translation>Macht einen Namen zum Alias eines anderen</translation>
    </message>
    <message>
        <source>pointing www or blog at an existing host</source>
        <translation>www oder blog auf einen vorhandenen Host verweisen lassen</translation>
    </message>
    <message>
        <source>NS Record</source>
        <translation>NS-Eintrag</translation>
    </message>
    <message>
        <source>Names an authoritative name server for the zone or a subdomain</source>
        <translation>Nennt einen autoritativen Nameserver für die Zone oder eine Subdomain</translation>
    </message>
    <message>
        <source>declaring your name servers and delegating subdomains</source>
        <translation>Ihre Nameserver angeben und Subdomains delegieren</translation>
    </message>
    <message>
        <source>Other Records</source>
        <translation>Weitere Einträge</translation>
    </message>
    <message>
        <source>TXT Record</source>
        <translation>TXT-Eintrag</translation>
    </message>
    <message>
        <source>Attaches free text to a name</source>
        <translation>Verknüpft freien Text mit einem Namen</translation>
    </message>
    <message>
        <source>SPF, DKIM, domain verification and notes</source>
        <translation>SPF, DKIM, Domain-Bestätigung und Notizen</translation>
    </message>
    <message>
        <source>PTR Record</source>
        <translation>PTR-Eintrag</translation>
    </message>
    <message>
        <source>Maps an IP address back to a name</source>
        <translation>Ordnet einer IP-Adresse wieder einen Namen zu</translation>
    </message>
    <message>
        <source>reverse lookups in reverse zones</source>
        <translation>Rückwärtsauflösung in Reverse-Zonen</translation>
    </message>
</context>
<context>
    <name>korvi::RecordValidator</name>
    <message>
        <source>Invalid IPv4 address: &apos;%1&apos;. Expected format: 192.168.1.1</source>
        <translation>Ungültige IPv4-Adresse: &apos;%1&apos;. Erwartetes Format: 192.168.1.1</translation>
    </message>
    <message>
        <source>Invalid IPv6 address: &apos;%1&apos;. Expected format: 2001:db8::1</source>
        <translation>Ungültige IPv6-Adresse: &apos;%1&apos;. Erwartetes Format: 2001:db8::1</translation>
    </message>
    <message>
        <source>Invalid domain name: &apos;%1&apos;. Must be a valid domain name.</source>
        <translation>Ungültiger Domainname: &apos;%1&apos;. Muss ein gültiger Domainname sein.</translation>
    </message>
    <message>
        <source>Invalid name server: &apos;%1&apos;. Must be a host name: letters a-z, digits and &quot;-&quot; only.</source>
        <translation>Ungültiger Nameserver: &apos;%1&apos;. Muss ein Hostname sein: nur Buchstaben a-z, Ziffern und &quot;-&quot;.</translation>
    </message>
    <message>
        <source>Invalid mail server name: &apos;%1&apos;. Must be a host name: letters a-z, digits and &quot;-&quot; only.</source>
        <translation>Ungültiger Mailservername: &apos;%1&apos;. Muss ein Hostname sein: nur Buchstaben a-z, Ziffern und &quot;-&quot;.</translation>
    </message>
    <message>
        <source>MX records require a priority value.</source>
        <translation>MX-Einträge brauchen eine Priorität.</translation>
    </message>
    <message>
        <source>Invalid MX priority: %1. Must be between 0 and 65535.</source>
        <translation>Ungültige MX-Priorität: %1. Muss zwischen 0 und 65535 liegen.</translation>
    </message>
    <message>
        <source>Invalid SRV target: &apos;%1&apos;. Must be a host name: letters a-z, digits and &quot;-&quot; only.</source>
        <translation>Ungültiges SRV-Ziel: &apos;%1&apos;. Muss ein Hostname sein: nur Buchstaben a-z, Ziffern und &quot;-&quot;.</translation>
    </message>
    <message>
        <source>SRV records require a priority value.</source>
        <translation>SRV-Einträge brauchen eine Priorität.</translation>
    </message>
    <message>
        <source>Invalid SRV priority: %1. Must be between 0 and 65535.</source>
        <translation>Ungültige SRV-Priorität: %1. Muss zwischen 0 und 65535 liegen.</translation>
    </message>
    <message>
        <source>SRV records require a weight value.</source>
        <translation>SRV-Einträge brauchen ein Gewicht.</translation>
    </message>
    <message>
        <source>Invalid SRV weight: %1. Must be between 0 and 65535.</source>
        <translation>Ungültiges SRV-Gewicht: %1. Muss zwischen 0 und 65535 liegen.</translation>
    </message>
    <message>
        <source>SRV records require a port value.</source>
        <translation>SRV-Einträge brauchen einen Port.</translation>
    </message>
    <message>
        <source>Invalid SRV port: %1. Must be between 0 and 65535.</source>
        <translation>Ungültiger SRV-Port: %1. Muss zwischen 0 und 65535 liegen.</translation>
    </message>
    <message>
        <source>CAA records require a flag value.</source>
        <translation>CAA-Einträge brauchen ein Flag.</translation>
    </message>
    <message>
        <source>Invalid CAA flag: %1. Must be between 0 and 255.</source>
        <translation>Ungültiges CAA-Flag: %1. Muss zwischen 0 und 255 liegen.</translation>
    </message>
    <message>
        <source>CAA records require a tag value.</source>
        <translation>CAA-Einträge brauchen ein Tag.</translation>
    </message>
    <message>
        <source>Invalid CAA tag: &apos;%1&apos;. Valid tags are: %2</source>
        <translation>Ungültiges CAA-Tag: &apos;%1&apos;. Gültige Tags sind: %2</translation>
    </message>
    <message>
        <source>CAA record value cannot be empty.</source>
        <translation>Der Wert eines CAA-Eintrags darf nicht leer sein.</translation>
    </message>
    <message>
        <source>CAA record value contains invalid control characters.</source>
        <translation>Der Wert des CAA-Eintrags enthält ungültige Steuerzeichen.</translation>
    </message>
    <message>
        <source>Invalid CAA iodef value: &apos;%1&apos;. Must be a mailto: or https: address for reports.</source>
        <translation>Ungültiger CAA-iodef-Wert: &apos;%1&apos;. Muss eine mailto:- oder https:-Adresse für Meldungen sein.</translation>
    </message>
    <message>
        <source>Invalid CAA %1 value: &apos;%2&apos;. Must be the certificate authority&apos;s domain name (letsencrypt.org), optionally followed by ; and name=value parameters, or ; alone to allow none.</source>
        <translation>Ungültiger CAA-%1-Wert: &apos;%2&apos;. Muss der Domainname der Zertifizierungsstelle sein (letsencrypt.org), wahlweise gefolgt von ; und Parametern name=wert, oder ; allein, um keine zuzulassen.</translation>
    </message>
    <message>
        <source>SSHFP records require an algorithm value.</source>
        <translation>SSHFP-Einträge brauchen einen Algorithmus.</translation>
    </message>
    <message>
        <source>Invalid SSHFP algorithm: %1. Valid algorithms are: %2</source>
        <translation>Ungültiger SSHFP-Algorithmus: %1. Gültige Algorithmen sind: %2</translation>
    </message>
    <message>
        <source>SSHFP records require a digest type value.</source>
        <translation>SSHFP-Einträge brauchen einen Hash-Typ.</translation>
    </message>
    <message>
        <source>Invalid SSHFP digest type: %1. Valid digest types are: %2</source>
        <translation>Ungültiger SSHFP-Hash-Typ: %1. Gültige Hash-Typen sind: %2</translation>
    </message>
    <message>
        <source>Invalid SSHFP fingerprint: must be hexadecimal characters only.</source>
        <translation>Ungültiger SSHFP-Fingerprint: nur hexadezimale Zeichen erlaubt.</translation>
    </message>
    <message>
        <source>Invalid SSHFP fingerprint length: %1 hexadecimal digits. Digest type %2 (%3) needs exactly %4.</source>
        <translation>Ungültige Länge des SSHFP-Fingerprints: %1 hexadezimale Ziffern. Hash-Typ %2 (%3) braucht genau %4.</translation>
    </message>
    <message>
        <source>TLSA records require a usage value.</source>
        <translation>TLSA-Einträge brauchen eine Verwendung.</translation>
    </message>
    <message>
        <source>Invalid TLSA usage: %1. Must be between 0 and 3.</source>
        <translation>Ungültige TLSA-Verwendung: %1. Muss zwischen 0 und 3 liegen.</translation>
    </message>
    <message>
        <source>TLSA records require a selector value.</source>
        <translation>TLSA-Einträge brauchen einen Selektor.</translation>
    </message>
    <message>
        <source>Invalid TLSA selector: %1. Must be 0 or 1.</source>
        <translation>Ungültiger TLSA-Selektor: %1. Muss 0 oder 1 sein.</translation>
    </message>
    <message>
        <source>TLSA records require a digest type value.</source>
        <translation>TLSA-Einträge brauchen einen Hash-Typ.</translation>
    </message>
    <message>
        <source>Invalid TLSA digest type: %1. Valid digest types are: %2</source>
        <translation>Ungültiger TLSA-Hash-Typ: %1. Gültige Hash-Typen sind: %2</translation>
    </message>
    <message>
        <source>Invalid TLSA certificate data: must be hexadecimal characters only.</source>
        <translation>Ungültige TLSA-Zertifikatsdaten: nur hexadezimale Zeichen erlaubt.</translation>
    </message>
    <message>
        <source>Invalid TLSA certificate data length: %1 hexadecimal digits. Matching type %2 (%3) needs exactly %4.</source>
        <translation>Ungültige Länge der TLSA-Zertifikatsdaten: %1 hexadezimale Ziffern. Vergleichsart %2 (%3) braucht genau %4.</translation>
    </message>
    <message>
        <source>Invalid TLSA certificate data length: %1 hexadecimal digits. Whole bytes need an even number.</source>
        <translation>Ungültige Länge der TLSA-Zertifikatsdaten: %1 hexadezimale Ziffern. Ganze Bytes brauchen eine gerade Anzahl.</translation>
    </message>
    <message>
        <source>TXT record too long: %1 bytes. Maximum is 4,000 bytes.</source>
        <translation>TXT-Eintrag zu lang: %1 Bytes. Höchstens 4.000 Bytes sind erlaubt.</translation>
    </message>
    <message>
        <source>TXT record contains invalid control characters.</source>
        <translation>Der TXT-Eintrag enthält ungültige Steuerzeichen.</translation>
    </message>
    <message>
        <source>TXT record text cannot be white space only.</source>
        <translation>Der Text eines TXT-Eintrags darf nicht nur aus Leerraum bestehen.</translation>
    </message>
    <message>
        <source>Invalid record name: &apos;%1&apos;. Must be a valid domain name or empty for root domain.</source>
        <translation>Ungültiger Name des Eintrags: &apos;%1&apos;. Muss ein gültiger Domainname sein oder leer für die Domain selbst.</translation>
    </message>
    <message>
        <source>Invalid host name: &apos;%1&apos;. %2 records need a host name: letters a-z, digits and &quot;-&quot; only, or a wildcard &quot;*&quot;.</source>
        <translation>Ungültiger Hostname: &apos;%1&apos;. %2-Einträge brauchen einen Hostnamen: nur Buchstaben a-z, Ziffern und &quot;-&quot; oder ein Platzhalter &quot;*&quot;.</translation>
    </message>
    <message>
        <source>Invalid TTL: %1. Must be between 0 and 2,147,483,647 seconds.</source>
        <translation>Ungültige TTL: %1. Muss zwischen 0 und 2.147.483.647 Sekunden liegen.</translation>
    </message>
    <message>
        <source>Record value cannot be empty.</source>
        <translation>Der Wert des Eintrags darf nicht leer sein.</translation>
    </message>
    <message>
        <source>SOA records cannot be added as records: the zone&apos;s SOA is edited in the zone&apos;s settings (primary name server, administrator e-mail and timers).</source>
        <translation>SOA-Einträge können nicht als Einträge hinzugefügt werden: Der SOA einer Zone wird in ihren Einstellungen bearbeitet (primärer Nameserver, E-Mail des Administrators und Zeitwerte).</translation>
    </message>
    <message>
        <source>Name too long: &apos;%1&apos; has %2 bytes. A name with its zone holds at most 253.</source>
        <translation>Name zu lang: &apos;%1&apos; hat %2 Bytes. Ein Name mit seiner Zone hat höchstens 253.</translation>
    </message>
    <message>
        <source>Target too long: &apos;%1&apos; has %2 bytes. A name holds at most 253.</source>
        <translation>Ziel zu lang: &apos;%1&apos; hat %2 Bytes. Ein Name hat höchstens 253.</translation>
    </message>
    <message>
        <source>Invalid PTR target in a reverse zone: &apos;%1&apos;. Must be a host name: letters a-z, digits and &quot;-&quot; only.</source>
        <translation>Ungültiges PTR-Ziel in einer Reverse-Zone: &apos;%1&apos;. Muss ein Hostname sein: nur Buchstaben a-z, Ziffern und &quot;-&quot;.</translation>
    </message>
</context>
<context>
    <name>korvi::RecordsListView</name>
    <message>
        <source>No DNS records found</source>
        <translation>Keine DNS-Einträge gefunden</translation>
    </message>
    <message>
        <source>Add your first DNS record to get started</source>
        <translation>Fügen Sie Ihren ersten DNS-Eintrag hinzu, um zu beginnen</translation>
    </message>
    <message>
        <source>Try adjusting your search terms</source>
        <translation>Versuchen Sie es mit anderen Suchbegriffen</translation>
    </message>
    <message>
        <source>Records</source>
        <translation>Einträge</translation>
    </message>
</context>
<context>
    <name>korvi::RefreshChoicesView</name>
    <message>
        <source> … and %1 more</source>
        <translation> … und %1 weitere</translation>
    </message>
    <message>
        <source>Zone &apos;%1&apos; differs from its file</source>
        <translation>Zone &apos;%1&apos; weicht von ihrer Datei ab</translation>
    </message>
    <message>
        <source>%1. Nothing was changed; choose which one to keep.</source>
        <translation>%1. Es wurde nichts geändert; wählen Sie, welche Fassung bleiben soll.</translation>
    </message>
    <message>
        <source>Only in Korvi</source>
        <translation>Nur in Korvi</translation>
    </message>
    <message>
        <source>Only in the file</source>
        <translation>Nur in der Datei</translation>
    </message>
    <message>
        <source>Keep Korvi&apos;s version</source>
        <translation>Korvis Fassung behalten</translation>
    </message>
    <message>
        <source>Use the file</source>
        <translation>Die Datei übernehmen</translation>
    </message>
</context>
<context>
    <name>korvi::ReplicationDialog</name>
    <message>
        <source>Secondaries</source>
        <translation>Sekundärserver</translation>
    </message>
    <message>
        <source>Secondary servers copy Korvi&apos;s zones by zone transfer. Only servers that sign with one of these TSIG keys may transfer, each secondary is notified of every change, and the catalog of Korvi&apos;s zones tells it which zones to copy.</source>
        <translation>Sekundärserver kopieren Korvis Zonen per Zonentransfer. Nur Server, die mit einem dieser TSIG-Schlüssel signieren, dürfen übertragen; jeder Sekundärserver wird über jede Änderung benachrichtigt, und der Katalog von Korvis Zonen sagt ihm, welche Zonen er kopieren soll.</translation>
    </message>
    <message>
        <source>TSIG Keys</source>
        <translation>TSIG-Schlüssel</translation>
    </message>
    <message>
        <source>Key name, e.g. korvi-secondary</source>
        <translation>Schlüsselname, z. B. korvi-secondary</translation>
    </message>
    <message>
        <source>Create Key</source>
        <translation>Schlüssel erzeugen</translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation>Schlüssel löschen</translation>
    </message>
    <message>
        <source>Show Secret</source>
        <translation>Geheimnis zeigen</translation>
    </message>
    <message>
        <source>Choose a key to see its secret.</source>
        <translation>Wählen Sie einen Schlüssel, um sein Geheimnis zu sehen.</translation>
    </message>
    <message>
        <source>Secondary Servers</source>
        <translation>Sekundärserver</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Schlüssel</translation>
    </message>
    <message>
        <source>Add Secondary</source>
        <translation>Sekundärserver hinzufügen</translation>
    </message>
    <message>
        <source>Remove Secondary</source>
        <translation>Sekundärserver entfernen</translation>
    </message>
    <message>
        <source>Secondary Setup…</source>
        <translation>Sekundärserver einrichten…</translation>
    </message>
    <message>
        <source>Choose a secondary first.</source>
        <translation>Wählen Sie zuerst einen Sekundärserver.</translation>
    </message>
    <message>
        <source>%1 — %2 port %3, key %4</source>
        <translation>%1 — %2 Port %3, Schlüssel %4</translation>
    </message>
    <message>
        <source>✅ Done</source>
        <translation>✅ Erledigt</translation>
    </message>
    <message>
        <source>TSIG keys</source>
        <translation>TSIG-Schlüssel</translation>
    </message>
    <message>
        <source>Secondary servers</source>
        <translation>Sekundärserver</translation>
    </message>
</context>
<context>
    <name>korvi::ReverseZoneSection</name>
    <message>
        <source>Reverse zone for a network</source>
        <translation>Reverse-Zone für ein Netz</translation>
    </message>
    <message>
        <source>Network *</source>
        <translation>Netz *</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Netz</translation>
    </message>
    <message>
        <source>192.0.2.0/24 or 2001:db8::/48</source>
        <translation>192.0.2.0/24 oder 2001:db8::/48</translation>
    </message>
    <message>
        <source>An IPv4 network of length /8, /16 or /24, or an IPv6 network whose length is a multiple of 4: the zone that answers the network&apos;s reverse lookups</source>
        <translation>Ein IPv4-Netz der Länge /8, /16 oder /24 oder ein IPv6-Netz, dessen Länge ein Vielfaches von 4 ist: die Zone, die die Rückwärtsauflösung des Netzes beantwortet</translation>
    </message>
    <message>
        <source>Zone: %1</source>
        <translation>Zone: %1</translation>
    </message>
</context>
<context>
    <name>korvi::SecondariesView</name>
    <message>
        <source>Secondaries</source>
        <translation>Sekundärserver</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Ask the primary and every secondary for each zone&apos;s serial now</source>
        <translation>Den Primärserver und jeden Sekundärserver jetzt nach der Seriennummer jeder Zone fragen</translation>
    </message>
    <message>
        <source>Last checked %1</source>
        <translation>Zuletzt geprüft %1</translation>
    </message>
    <message>
        <source>No Secondary Servers</source>
        <translation>Keine Sekundärserver</translation>
    </message>
    <message>
        <source>Secondary servers of your zones, and how well they keep up, appear here</source>
        <translation>Die Sekundärserver Ihrer Zonen und wie gut sie mithalten, erscheinen hier</translation>
    </message>
    <message>
        <source>Not checked yet.</source>
        <translation>Noch nicht geprüft.</translation>
    </message>
    <message>
        <source>%1 serves %2 as the primary does.</source>
        <translation>%1 liefert %2 so aus wie der Primärserver.</translation>
    </message>
</context>
<context>
    <name>korvi::SecondaryHealthModel</name>
    <message>
        <source>%1 (%2 port %3)</source>
        <translation>%1 (%2 Port %3)</translation>
    </message>
    <message>
        <source>Behind by %1</source>
        <translation>Um %1 zurück</translation>
    </message>
    <message>
        <source>Ahead of the primary by %1</source>
        <translation>Dem Primärserver um %1 voraus</translation>
    </message>
    <message>
        <source>The primary&apos;s log:
%1</source>
        <translation>Protokoll des Primärservers:
%1</translation>
    </message>
    <message>
        <source>Secondary</source>
        <translation>Sekundärserver</translation>
    </message>
    <message>
        <source>Zone</source>
        <translation>Zone</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Primary Serial</source>
        <translation>Seriennummer primär</translation>
    </message>
    <message>
        <source>Secondary Serial</source>
        <translation>Seriennummer sekundär</translation>
    </message>
    <message>
        <source>Since</source>
        <translation>Seit</translation>
    </message>
</context>
<context>
    <name>korvi::SecondarySetupDialog</name>
    <message>
        <source>Set Up Secondary &quot;%1&quot;</source>
        <translation>Sekundärserver „%1“ einrichten</translation>
    </message>
    <message>
        <source>Add this to the named.conf of the secondary server. It copies every zone of Korvi through the catalog, signed with the secondary&apos;s key; zones added or removed in Korvi reach it without further changes. The text holds the key&apos;s secret.</source>
        <translation>Fügen Sie dies in die named.conf des Sekundärservers ein. Er kopiert jede Zone von Korvi über den Katalog, signiert mit seinem Schlüssel; in Korvi hinzugefügte oder entfernte Zonen erreichen ihn ohne weitere Änderungen. Der Text enthält das Geheimnis des Schlüssels.</translation>
    </message>
    <message>
        <source>Primary address as the secondary sees it:</source>
        <translation>Adresse des Primärservers aus Sicht des Sekundärservers:</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>// Enter the primary&apos;s IPv4 or IPv6 address as the secondary reaches it.</source>
        <translation>// Geben Sie die IPv4- oder IPv6-Adresse ein, unter der der Sekundärserver den Primärserver erreicht.</translation>
    </message>
    <message>
        <source>// The secondary or its key is no longer there.</source>
        <translation>// Der Sekundärserver oder sein Schlüssel ist nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>Configuration for the secondary</source>
        <translation>Konfiguration für den Sekundärserver</translation>
    </message>
</context>
<context>
    <name>korvi::SecondaryZoneView</name>
    <message>
        <source>Secondary (read-only)</source>
        <translation>Sekundär (schreibgeschützt)</translation>
    </message>
    <message>
        <source>Add Record</source>
        <translation>Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Records of a secondary zone change on its primary</source>
        <translation>Einträge einer Sekundärzone werden auf ihrem Primärserver geändert</translation>
    </message>
    <message>
        <source>Copied from %1</source>
        <translation>Kopiert von %1</translation>
    </message>
    <message>
        <source>Records of a secondary zone come from its primary: change them there, and this server copies them.</source>
        <translation>Die Einträge einer Sekundärzone stammen von ihrem Primärserver: Ändern Sie sie dort, und dieser Server kopiert sie.</translation>
    </message>
    <message>
        <source>Serial %1</source>
        <translation>Seriennummer %1</translation>
    </message>
    <message>
        <source>Serial unknown</source>
        <translation>Seriennummer unbekannt</translation>
    </message>
    <message>
        <source>Last transfer %1</source>
        <translation>Letzte Übertragung %1</translation>
    </message>
    <message>
        <source>Not transferred yet</source>
        <translation>Noch nicht übertragen</translation>
    </message>
</context>
<context>
    <name>korvi::SecondaryZonesSection</name>
    <message>
        <source>serial %1, last transfer %2</source>
        <translation>Seriennummer %1, letzte Übertragung %2</translation>
    </message>
    <message>
        <source>not transferred yet</source>
        <translation>noch nicht übertragen</translation>
    </message>
    <message>
        <source>%1 — from %2 — %3</source>
        <translation>%1 — von %2 — %3</translation>
    </message>
    <message>
        <source>Secondary Zones on This Server</source>
        <translation>Sekundärzonen auf diesem Server</translation>
    </message>
    <message>
        <source>Add Secondary Zone…</source>
        <translation>Sekundärzone hinzufügen…</translation>
    </message>
    <message>
        <source>Show Records</source>
        <translation>Einträge zeigen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Secondary zones</source>
        <translation>Sekundärzonen</translation>
    </message>
</context>
<context>
    <name>korvi::ServerConfigurationSection</name>
    <message>
        <source>Server Configuration</source>
        <translation>Serverkonfiguration</translation>
    </message>
    <message>
        <source>The Server Configuration section controls where BIND listens, whom it answers and where it sends the queries it cannot answer itself.</source>
        <translation>Der Bereich Serverkonfiguration legt fest, wo BIND Anfragen annimmt, wem es antwortet und wohin es die Anfragen schickt, die es nicht selbst beantworten kann.</translation>
    </message>
    <message>
        <source>Basic Settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Listen Port</source>
        <translation>Empfangsport</translation>
    </message>
    <message>
        <source>Default: 53 (standard DNS port). Change only if you have port conflicts.</source>
        <translation>Vorgabe: 53 (der übliche DNS-Port). Nur bei Portkonflikten ändern.</translation>
    </message>
    <message>
        <source>Recursion</source>
        <translation>Rekursion</translation>
    </message>
    <message>
        <source>Lets the server look up names outside your zones for its clients; turn it off for a purely authoritative server</source>
        <translation>Lässt den Server für seine Clients Namen außerhalb Ihrer Zonen auflösen; schalten Sie sie für einen rein autoritativen Server aus</translation>
    </message>
    <message>
        <source>DNSSEC</source>
        <translation>DNSSEC</translation>
    </message>
    <message>
        <source>Checks the signatures of signed answers so that clients can trust them</source>
        <translation>Prüft die Signaturen signierter Antworten, damit Clients ihnen vertrauen können</translation>
    </message>
    <message>
        <source>DNS Forwarders</source>
        <translation>DNS-Forwarder</translation>
    </message>
    <message>
        <source>Configure upstream DNS servers for resolving external queries:</source>
        <translation>Vorgelagerte DNS-Server für externe Anfragen festlegen:</translation>
    </message>
    <message>
        <source>• Google DNS: 8.8.8.8, 8.8.4.4</source>
        <translation>• Google DNS: 8.8.8.8, 8.8.4.4</translation>
    </message>
    <message>
        <source>• Cloudflare: 1.1.1.1, 1.0.0.1</source>
        <translation>• Cloudflare: 1.1.1.1, 1.0.0.1</translation>
    </message>
    <message>
        <source>• Quad9: 9.9.9.9, 149.112.112.112</source>
        <translation>• Quad9: 9.9.9.9, 149.112.112.112</translation>
    </message>
    <message>
        <source>• OpenDNS: 208.67.222.222, 208.67.220.220</source>
        <translation>• OpenDNS: 208.67.222.222, 208.67.220.220</translation>
    </message>
    <message>
        <source>Access Control</source>
        <translation>Zugriffskontrolle</translation>
    </message>
    <message>
        <source>Allow Query</source>
        <translation>Abfragen erlauben</translation>
    </message>
    <message>
        <source>Specify which clients can make DNS queries to your server</source>
        <translation>Legt fest, welche Clients Ihrem Server DNS-Anfragen stellen dürfen</translation>
    </message>
    <message>
        <source>Allow Transfer</source>
        <translation>Transfer erlauben</translation>
    </message>
    <message>
        <source>Control which servers can request zone transfers (usually &apos;none&apos; for security)</source>
        <translation>Legt fest, welche Server Zonentransfers anfordern dürfen (aus Sicherheitsgründen meist &apos;none&apos;)</translation>
    </message>
</context>
<context>
    <name>korvi::ServerStatusStyle</name>
    <message>
        <source>Server Running</source>
        <translation>Server läuft</translation>
    </message>
    <message>
        <source>Server Stopped</source>
        <translation>Server angehalten</translation>
    </message>
    <message>
        <source>Server Error</source>
        <translation>Serverfehler</translation>
    </message>
    <message>
        <source>Status Unknown</source>
        <translation>Status unbekannt</translation>
    </message>
    <message>
        <source>BIND Not Installed</source>
        <translation>BIND nicht installiert</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Not Installed</source>
        <translation>Nicht installiert</translation>
    </message>
</context>
<context>
    <name>korvi::ShortcutsDialog</name>
    <message>
        <source>Keyboard Shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>Tasten</translation>
    </message>
</context>
<context>
    <name>korvi::SidebarView</name>
    <message>
        <source>Dashboard</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>Zone Management</source>
        <translation>Zonenverwaltung</translation>
    </message>
    <message>
        <source>DNS Records</source>
        <translation>DNS-Einträge</translation>
    </message>
    <message>
        <source>Server Configuration</source>
        <translation>Serverkonfiguration</translation>
    </message>
    <message>
        <source>Secondaries</source>
        <translation>Sekundärserver</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Tutorial</source>
        <translation>Anleitung</translation>
    </message>
    <message>
        <source>Stop Server</source>
        <translation>Server anhalten</translation>
    </message>
    <message>
        <source>Start Server</source>
        <translation>Server starten</translation>
    </message>
    <message>
        <source>Install Package Manager</source>
        <translation>Paketverwaltung installieren</translation>
    </message>
    <message>
        <source>Homebrew or MacPorts required</source>
        <translation>Homebrew oder MacPorts erforderlich</translation>
    </message>
    <message>
        <source>Install BIND</source>
        <translation>BIND installieren</translation>
    </message>
    <message>
        <source>Using %1</source>
        <translation>Mit %1</translation>
    </message>
    <message>
        <source>Lookup</source>
        <translation>Abfrage</translation>
    </message>
    <message>
        <source>Sections</source>
        <translation>Bereiche</translation>
    </message>
</context>
<context>
    <name>korvi::TroubleshootingSection</name>
    <message>
        <source>Troubleshooting</source>
        <translation>Fehlerbehebung</translation>
    </message>
    <message>
        <source>Common issues and solutions when working with Korvi and BIND:</source>
        <translation>Häufige Probleme und ihre Lösungen bei der Arbeit mit Korvi und BIND:</translation>
    </message>
    <message>
        <source>Server Won&apos;t Start</source>
        <translation>Der Server startet nicht</translation>
    </message>
    <message>
        <source>• Verify port 53 isn&apos;t in use: sudo lsof -i :53</source>
        <translation>• Prüfen Sie, ob Port 53 belegt ist: sudo lsof -i :53</translation>
    </message>
    <message>
        <source>• Check the configuration with named-checkconf</source>
        <translation>• Prüfen Sie die Konfiguration mit named-checkconf</translation>
    </message>
    <message>
        <source>• Make sure BIND 9 is installed (see the Dashboard)</source>
        <translation>• Stellen Sie sicher, dass BIND 9 installiert ist (siehe Übersicht)</translation>
    </message>
    <message>
        <source>• Read the server&apos;s own messages in the Logs section</source>
        <translation>• Lesen Sie die Meldungen des Servers im Bereich Protokoll</translation>
    </message>
    <message>
        <source>• Confirm that you have administrator privileges</source>
        <translation>• Vergewissern Sie sich, dass Sie Administratorrechte haben</translation>
    </message>
    <message>
        <source>DNS Resolution Issues</source>
        <translation>Probleme bei der Namensauflösung</translation>
    </message>
    <message>
        <source>• Ask the server directly: dig @127.0.0.1 example.com</source>
        <translation>• Fragen Sie den Server direkt: dig @127.0.0.1 example.com</translation>
    </message>
    <message>
        <source>• Check that the zone is listed in named.conf</source>
        <translation>• Prüfen Sie, ob die Zone in named.conf steht</translation>
    </message>
    <message>
        <source>• Reload the server after changing records</source>
        <translation>• Laden Sie den Server nach Änderungen an Einträgen neu</translation>
    </message>
    <message>
        <source>• Make sure allow-query admits the clients that ask</source>
        <translation>• Stellen Sie sicher, dass allow-query die anfragenden Clients zulässt</translation>
    </message>
    <message>
        <source>• Flush the client&apos;s DNS cache after changes</source>
        <translation>• Leeren Sie nach Änderungen den DNS-Cache des Clients</translation>
    </message>
    <message>
        <source>Zone File Errors</source>
        <translation>Fehler in Zonendateien</translation>
    </message>
    <message>
        <source>• Missing SOA record: Every zone must have exactly one SOA record</source>
        <translation>• Fehlender SOA-Eintrag: Jede Zone braucht genau einen SOA-Eintrag</translation>
    </message>
    <message>
        <source>• Missing trailing dots: FQDN values should end with a dot (.)</source>
        <translation>• Fehlende Punkte am Ende: Vollständige Namen (FQDN) sollten mit einem Punkt (.) enden</translation>
    </message>
    <message>
        <source>• CNAME conflicts: a name with a CNAME can have no other records</source>
        <translation>• CNAME-Konflikte: Ein Name mit CNAME darf keine anderen Einträge haben</translation>
    </message>
    <message>
        <source>• Serial not advanced: secondary servers keep the old data</source>
        <translation>• Seriennummer nicht erhöht: Sekundärserver behalten die alten Daten</translation>
    </message>
    <message>
        <source>• Invalid addresses in A or AAAA records</source>
        <translation>• Ungültige Adressen in A- oder AAAA-Einträgen</translation>
    </message>
    <message>
        <source>Performance Issues</source>
        <translation>Leistungsprobleme</translation>
    </message>
    <message>
        <source>• Use forwarders close to your network</source>
        <translation>• Verwenden Sie Forwarder in der Nähe Ihres Netzes</translation>
    </message>
    <message>
        <source>• Raise TTLs for records that rarely change</source>
        <translation>• Erhöhen Sie die TTL von Einträgen, die sich selten ändern</translation>
    </message>
    <message>
        <source>• Turn recursion off if the server only answers for its zones</source>
        <translation>• Schalten Sie die Rekursion aus, wenn der Server nur für seine Zonen antwortet</translation>
    </message>
    <message>
        <source>• Keep the logging level at info unless you are debugging</source>
        <translation>• Lassen Sie die Protokollstufe auf info, außer bei der Fehlersuche</translation>
    </message>
    <message>
        <source>• Watch the logs for repeated failing queries</source>
        <translation>• Achten Sie im Protokoll auf wiederholt fehlschlagende Anfragen</translation>
    </message>
    <message>
        <source>Useful Commands</source>
        <translation>Nützliche Befehle</translation>
    </message>
    <message>
        <source>dig @127.0.0.1 example.com - Test DNS resolution</source>
        <translation>dig @127.0.0.1 example.com - Namensauflösung testen</translation>
    </message>
    <message>
        <source>named-checkconf /usr/local/etc/named.conf - Validate configuration</source>
        <translation>named-checkconf /usr/local/etc/named.conf - Konfiguration prüfen</translation>
    </message>
    <message>
        <source>named-checkzone example.com /usr/local/var/named/db.example.com - Validate zone</source>
        <translation>named-checkzone example.com /usr/local/var/named/db.example.com - Zone prüfen</translation>
    </message>
    <message>
        <source>sudo rndc reload - Reload configuration without restart</source>
        <translation>sudo rndc reload - Konfiguration ohne Neustart neu laden</translation>
    </message>
</context>
<context>
    <name>korvi::TutorialSection</name>
    <message>
        <source>Use for: %1</source>
        <translation>Verwendung: %1</translation>
    </message>
</context>
<context>
    <name>korvi::TutorialView</name>
    <message>
        <source>Getting Started</source>
        <translation>Erste Schritte</translation>
    </message>
    <message>
        <source>Managing Zones</source>
        <translation>Zonen verwalten</translation>
    </message>
    <message>
        <source>DNS Records</source>
        <translation>DNS-Einträge</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Fortgeschritten</translation>
    </message>
    <message>
        <source>Introduction</source>
        <translation>Einleitung</translation>
    </message>
    <message>
        <source>DNS Basics</source>
        <translation>DNS-Grundlagen</translation>
    </message>
    <message>
        <source>Korvi Overview</source>
        <translation>Korvi im Überblick</translation>
    </message>
    <message>
        <source>Creating Zones</source>
        <translation>Zonen anlegen</translation>
    </message>
    <message>
        <source>Zone Settings</source>
        <translation>Zoneneinstellungen</translation>
    </message>
    <message>
        <source>Adding Records</source>
        <translation>Einträge hinzufügen</translation>
    </message>
    <message>
        <source>Record Types</source>
        <translation>Eintragstypen</translation>
    </message>
    <message>
        <source>Best Practices</source>
        <translation>Bewährte Vorgehensweisen</translation>
    </message>
    <message>
        <source>Server Configuration</source>
        <translation>Serverkonfiguration</translation>
    </message>
    <message>
        <source>Troubleshooting</source>
        <translation>Fehlerbehebung</translation>
    </message>
    <message>
        <source>Tutorial</source>
        <translation>Anleitung</translation>
    </message>
    <message>
        <source>Tutorial topics</source>
        <translation>Themen der Anleitung</translation>
    </message>
</context>
<context>
    <name>korvi::WindowActions</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>New Zone…</source>
        <translation>Neue Zone…</translation>
    </message>
    <message>
        <source>Close Window</source>
        <translation>Fenster schließen</translation>
    </message>
    <message>
        <source>Quit Korvi</source>
        <translation>Korvi beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Delete Selected Records</source>
        <translation>Ausgewählte Einträge löschen</translation>
    </message>
    <message>
        <source>Find Records</source>
        <translation>Einträge suchen</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Korvi Tutorial</source>
        <translation>Korvi-Anleitung</translation>
    </message>
    <message>
        <source>Keyboard Shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>About Korvi</source>
        <translation>Über Korvi</translation>
    </message>
    <message>
        <source>New Record…</source>
        <translation>Neuer Eintrag…</translation>
    </message>
</context>
<context>
    <name>korvi::ZoneDnssecDialog</name>
    <message>
        <source>DNSSEC</source>
        <translation>DNSSEC</translation>
    </message>
    <message>
        <source>Signing of %1 by BIND</source>
        <translation>Signierung von %1 durch BIND</translation>
    </message>
    <message>
        <source>Sign this zone</source>
        <translation>Diese Zone signieren</translation>
    </message>
    <message>
        <source>BIND&apos;s default policy</source>
        <translation>Standardrichtlinie von BIND</translation>
    </message>
    <message>
        <source>Korvi&apos;s policy</source>
        <translation>Korvis Richtlinie</translation>
    </message>
    <message>
        <source>Policy</source>
        <translation>Richtlinie</translation>
    </message>
    <message>
        <source>Algorithm</source>
        <translation>Algorithmus</translation>
    </message>
    <message>
        <source>Unlimited</source>
        <translation>Unbegrenzt</translation>
    </message>
    <message numerus="yes">
        <source> days</source>
        <translation>
            <numerusform> Tag</numerusform>
            <numerusform> Tage</numerusform>
        </translation>
    </message>
    <message>
        <source>Key lifetime</source>
        <translation>Lebensdauer der Schlüssel</translation>
    </message>
    <message>
        <source>BIND makes the keys, signs the zone and rolls the keys. Turning signing off lets BIND withdraw the signatures safely, which takes hours.</source>
        <translation>BIND erzeugt die Schlüssel, signiert die Zone und wechselt die Schlüssel. Beim Abschalten der Signierung zieht BIND die Signaturen sicher zurück; das dauert Stunden.</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Key states</source>
        <translation>Zustand der Schlüssel</translation>
    </message>
    <message>
        <source>DS Is at the Parent</source>
        <translation>DS liegt bei der Elternzone</translation>
    </message>
    <message>
        <source>Tell BIND that the parent zone publishes the DS records below</source>
        <translation>BIND mitteilen, dass die Elternzone die DS-Einträge unten veröffentlicht</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>DS records for the parent zone</source>
        <translation>DS-Einträge für die Elternzone</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Verification</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>Not checked yet</source>
        <translation>Noch nicht geprüft</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Signed and answering with signatures</source>
        <translation>Signiert; die Antworten tragen Signaturen</translation>
    </message>
    <message>
        <source>Not verified: the server did not answer (%1)</source>
        <translation>Nicht geprüft: Der Server hat nicht geantwortet (%1)</translation>
    </message>
    <message>
        <source>Not verified: the server answered %1</source>
        <translation>Nicht geprüft: Der Server antwortete mit %1</translation>
    </message>
    <message>
        <source>Not verified: the server does not answer for this zone with authority</source>
        <translation>Nicht geprüft: Der Server antwortet für diese Zone nicht autoritativ</translation>
    </message>
    <message>
        <source>Not signed: the zone&apos;s answer carries no signature (RRSIG)</source>
        <translation>Nicht signiert: Die Antwort der Zone trägt keine Signatur (RRSIG)</translation>
    </message>
    <message>
        <source>🔏 Signed by BIND with the policy &quot;%1&quot;</source>
        <translation>🔏 Von BIND signiert mit der Richtlinie „%1“</translation>
    </message>
    <message>
        <source>Going unsigned: BIND is withdrawing the signatures and keys</source>
        <translation>Signierung endet: BIND zieht Signaturen und Schlüssel zurück</translation>
    </message>
    <message>
        <source>Not signed</source>
        <translation>Nicht signiert</translation>
    </message>
    <message>
        <source>Applying…</source>
        <translation>Wird angewendet…</translation>
    </message>
    <message>
        <source>Signing was not changed.</source>
        <translation>Die Signierung wurde nicht geändert.</translation>
    </message>
    <message>
        <source>The key states could not be read: %1</source>
        <translation>Der Zustand der Schlüssel konnte nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>korvi::ZoneManagementView</name>
    <message>
        <source>Zone Management</source>
        <translation>Zonenverwaltung</translation>
    </message>
    <message>
        <source>Add Domain</source>
        <translation>Domain hinzufügen</translation>
    </message>
    <message>
        <source>BIND DNS Server is not running</source>
        <translation>Der BIND-DNS-Server läuft nicht</translation>
    </message>
    <message>
        <source>Zone management is disabled. Start the BIND server to add, edit, or delete domains.</source>
        <translation>Die Zonenverwaltung ist gesperrt. Starten Sie den BIND-Server, um Domains hinzuzufügen, zu bearbeiten oder zu löschen.</translation>
    </message>
    <message>
        <source>No Domains Configured</source>
        <translation>Keine Domains eingerichtet</translation>
    </message>
    <message>
        <source>Start the BIND server from the sidebar to enable zone management</source>
        <translation>Starten Sie den BIND-Server in der Seitenleiste, um die Zonenverwaltung freizugeben</translation>
    </message>
    <message>
        <source>Double-click a domain to edit its SOA settings</source>
        <translation>Doppelklicken Sie auf eine Domain, um ihre SOA-Einstellungen zu bearbeiten</translation>
    </message>
    <message>
        <source>Add your first domain to start managing DNS records</source>
        <translation>Fügen Sie Ihre erste Domain hinzu, um DNS-Einträge zu verwalten</translation>
    </message>
    <message>
        <source>BIND DNS Server must be running to manage domains</source>
        <translation>Zum Verwalten von Domains muss der BIND-DNS-Server laufen</translation>
    </message>
    <message>
        <source>Current Status: %1</source>
        <translation>Aktueller Status: %1</translation>
    </message>
    <message>
        <source>Edit SOA Settings…</source>
        <translation>SOA-Einstellungen bearbeiten…</translation>
    </message>
    <message>
        <source>Delete Domain…</source>
        <translation>Domain löschen…</translation>
    </message>
    <message>
        <source>Delete Zone</source>
        <translation>Zone löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Import Zone…</source>
        <translation>Zone importieren…</translation>
    </message>
    <message>
        <source>Zones</source>
        <translation>Zonen</translation>
    </message>
    <message>
        <source>Export Zone File</source>
        <translation>Zonendatei exportieren</translation>
    </message>
    <message>
        <source>Export Zone File…</source>
        <translation>Zonendatei exportieren…</translation>
    </message>
    <message numerus="yes">
        <source>Are you sure you want to delete the zone &apos;%1&apos;? This will remove all %n DNS records.</source>
        <translation>
            <numerusform>Möchten Sie die Zone &apos;%1&apos; wirklich löschen? Damit wird %n DNS-Eintrag entfernt.</numerusform>
            <numerusform>Möchten Sie die Zone &apos;%1&apos; wirklich löschen? Damit werden alle %n DNS-Einträge entfernt.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>korvi::ZoneRowDelegate</name>
    <message numerus="yes">
        <source>%n records</source>
        <translation>
            <numerusform>%n Eintrag</numerusform>
            <numerusform>%n Einträge</numerusform>
        </translation>
    </message>
    <message>
        <source>(Server Stopped)</source>
        <translation>(Server angehalten)</translation>
    </message>
</context>
<context>
    <name>korvi::ZoneSOAView</name>
    <message>
        <source>SOA Settings</source>
        <translation>SOA-Einstellungen</translation>
    </message>
    <message>
        <source>Start of Authority for %1</source>
        <translation>Start of Authority für %1</translation>
    </message>
    <message>
        <source>Primary Name Server</source>
        <translation>Primärer Nameserver</translation>
    </message>
    <message>
        <source>Administrator Email</source>
        <translation>E-Mail des Administrators</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>How often secondary servers check for changes</source>
        <translation>Wie oft Sekundärserver nach Änderungen sehen</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>How soon they try again after a failure</source>
        <translation>Wie bald sie es nach einem Fehlschlag erneut versuchen</translation>
    </message>
    <message>
        <source>Expire</source>
        <translation>Expire</translation>
    </message>
    <message>
        <source>When they stop answering without the primary</source>
        <translation>Wann sie ohne den Primärserver aufhören zu antworten</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>How long resolvers remember that a name does not exist</source>
        <translation>Wie lange Resolver sich merken, dass ein Name nicht existiert</translation>
    </message>
    <message>
        <source>TTL</source>
        <translation>TTL</translation>
    </message>
    <message>
        <source>the minimum</source>
        <translation>das Minimum</translation>
    </message>
    <message>
        <source>The SOA record&apos;s own TTL; when empty, the minimum above</source>
        <translation>Die eigene TTL des SOA-Eintrags; wenn leer, das Minimum oben</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>The serial is advanced when the settings are saved</source>
        <translation>Die Seriennummer wird beim Speichern der Einstellungen erhöht</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Save SOA</source>
        <translation>SOA speichern</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>Wird gespeichert…</translation>
    </message>
    <message>
        <source>The SOA was not changed.</source>
        <translation>Der SOA wurde nicht geändert.</translation>
    </message>
    <message>
        <source>DNSSEC…</source>
        <translation>DNSSEC…</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
</context>
<context>
    <name>korvi::ZoneSettingsSection</name>
    <message>
        <source>Zone Settings &amp; Configuration</source>
        <translation>Zoneneinstellungen und Konfiguration</translation>
    </message>
    <message>
        <source>Every zone starts with an SOA record whose settings tell other servers who is in charge of the zone and how often to look for changes.</source>
        <translation>Jede Zone beginnt mit einem SOA-Eintrag, dessen Einstellungen anderen Servern sagen, wer für die Zone zuständig ist und wie oft sie nach Änderungen sehen sollen.</translation>
    </message>
    <message>
        <source>SOA Record Settings</source>
        <translation>Einstellungen des SOA-Eintrags</translation>
    </message>
    <message>
        <source>Primary Name Server</source>
        <translation>Primärer Nameserver</translation>
    </message>
    <message>
        <source>The server that holds the master copy of the zone, written as a full name such as &apos;ns1.example.com.&apos;</source>
        <translation>Der Server mit dem Original der Zone, als vollständiger Name geschrieben, etwa &apos;ns1.example.com.&apos;</translation>
    </message>
    <message>
        <source>Admin Email</source>
        <translation>E-Mail des Administrators</translation>
    </message>
    <message>
        <source>The mailbox of the person responsible for the zone, written with a dot in place of the @, such as &apos;admin.example.com.&apos;</source>
        <translation>Das Postfach der für die Zone verantwortlichen Person, mit einem Punkt statt des @ geschrieben, etwa &apos;admin.example.com.&apos;</translation>
    </message>
    <message>
        <source>Serial Number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>The version of the zone in the form YYYYMMDDNN; Korvi advances it every time the zone changes</source>
        <translation>Die Version der Zone in der Form JJJJMMTTNN; Korvi erhöht sie bei jeder Änderung der Zone</translation>
    </message>
    <message>
        <source>Refresh Interval</source>
        <translation>Refresh-Intervall</translation>
    </message>
    <message>
        <source>How often secondary servers check for updates (default: 3600 seconds)</source>
        <translation>Wie oft Sekundärserver nach Aktualisierungen sehen (Vorgabe: 3600 Sekunden)</translation>
    </message>
    <message>
        <source>Best Practices</source>
        <translation>Bewährte Vorgehensweisen</translation>
    </message>
    <message>
        <source>• Give hosts and services short, descriptive names</source>
        <translation>• Geben Sie Hosts und Diensten kurze, aussagekräftige Namen</translation>
    </message>
    <message>
        <source>• Keep refresh intervals between one hour and one day for most zones</source>
        <translation>• Halten Sie das Refresh-Intervall für die meisten Zonen zwischen einer Stunde und einem Tag</translation>
    </message>
    <message>
        <source>• Use an admin mailbox that exists and is read regularly</source>
        <translation>• Verwenden Sie ein Administratorpostfach, das existiert und regelmäßig gelesen wird</translation>
    </message>
    <message>
        <source>• Follow the same naming conventions in every zone</source>
        <translation>• Halten Sie in jeder Zone dieselben Namenskonventionen ein</translation>
    </message>
    <message>
        <source>• Document the purpose of each zone and its important records</source>
        <translation>• Dokumentieren Sie den Zweck jeder Zone und ihre wichtigen Einträge</translation>
    </message>
</context>
<context>
    <name>korvictl</name>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>%1 takes a whole number of 0 or more, not &apos;%2&apos;</source>
        <translation>%1 nimmt eine ganze Zahl ab 0, nicht &apos;%2&apos;</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>unbekannter Befehl &apos;%1&apos;</translation>
    </message>
    <message>
        <source>usage: korvictl %1</source>
        <translation>Aufruf: korvictl %1</translation>
    </message>
    <message>
        <source>--zone is only taken by import</source>
        <translation>--zone gilt nur für import</translation>
    </message>
    <message>
        <source>Usage: korvictl [--json] [--sandbox DIR] COMMAND [ARGUMENT...]

Manages the BIND 9 server named and Korvi&apos;s zones from the command line,
on the same zones, files and preferences as the Korvi window.

Commands:
  status                         BIND, the server&apos;s state, its files
  zones                          the zones Korvi keeps
  records ZONE                   the records of ZONE
  add ZONE NAME TYPE VALUE       adds a record (NAME @ is the zone&apos;s apex)
  update ZONE NAME TYPE OLDVALUE NEWVALUE
                                 changes the value (and --ttl) of a record
  delete ZONE NAME TYPE [VALUE]  deletes a record; without VALUE every
                                 record of that name and type
  apply                          writes every zone&apos;s file again from Korvi&apos;s
                                 store and has the server load it
  import FILE [--zone NAME]      reads a BIND zone file as a new zone (named
                                 by --zone, else by the file&apos;s $ORIGIN or name)
  export ZONE                    prints the zone file Korvi writes for ZONE
  lookup NAME [TYPE]             asks the managed server (TYPE: A by default)
  start, stop                    starts or stops the server

Record fields (add, update):
  --ttl N        time to live in seconds (default 3600)
  --priority N   MX and SRV priority (default 10)
  --weight N     SRV weight
  --port N       SRV port
  VALUE is what the record points to: an address (A, AAAA), a host name
  (CNAME, MX, NS, PTR, SRV target), the text (TXT).

Options:
  --json         the answer, errors included, as one JSON document on
                 standard output (the log lines go to standard error)
  --sandbox DIR  the private server of korvi --sandbox DIR
  --help         this text
  --             ends the options (for a value that begins with a dash)

Every change is checked by BIND&apos;s checker, written, loaded by a running
server and asked back from it; one the server does not serve is rolled back.
Only one Korvi program changes zones at a time: korvictl waits up to 10
seconds (KORVI_LOCK_WAIT_MS) for another one to finish.

Exit status: 0 done, 1 refused by a check, 2 wrong usage, 3 written but not
served and rolled back, 4 server, store or lock unreachable.
</source>
        <translation>Aufruf: korvictl [--json] [--sandbox VERZ] BEFEHL [ARGUMENT...]

Verwaltet den BIND-9-Server named und Korvis Zonen von der Kommandozeile aus,
mit denselben Zonen, Dateien und Einstellungen wie das Korvi-Fenster.

Befehle:
  status                         BIND, der Zustand des Servers, seine Dateien
  zones                          die Zonen, die Korvi führt
  records ZONE                   die Einträge von ZONE
  add ZONE NAME TYP WERT         fügt einen Eintrag hinzu (NAME @ ist die
                                 Zonenspitze)
  update ZONE NAME TYP ALTERWERT NEUERWERT
                                 ändert den Wert (und --ttl) eines Eintrags
  delete ZONE NAME TYP [WERT]    löscht einen Eintrag; ohne WERT jeden
                                 Eintrag dieses Namens und Typs
  apply                          schreibt die Datei jeder Zone neu aus Korvis
                                 Speicher und lässt den Server sie laden
  import DATEI [--zone NAME]     liest eine BIND-Zonendatei als neue Zone
                                 (benannt nach --zone, sonst nach $ORIGIN
                                 oder dem Dateinamen)
  export ZONE                    gibt die Zonendatei aus, die Korvi für ZONE
                                 schreibt
  lookup NAME [TYP]              fragt den verwalteten Server (TYP: A, wenn
                                 nicht angegeben)
  start, stop                    startet oder stoppt den Server

Felder eines Eintrags (add, update):
  --ttl N        Gültigkeitsdauer in Sekunden (Vorgabe 3600)
  --priority N   Priorität bei MX und SRV (Vorgabe 10)
  --weight N     Gewicht bei SRV
  --port N       Port bei SRV
  WERT ist, worauf der Eintrag zeigt: eine Adresse (A, AAAA), ein Hostname
  (CNAME, MX, NS, PTR, SRV-Ziel), der Text (TXT).

Optionen:
  --json         die Antwort, Fehler eingeschlossen, als ein JSON-Dokument auf
                 der Standardausgabe (die Protokollzeilen gehen auf die
                 Standardfehlerausgabe)
  --sandbox VERZ der private Server von korvi --sandbox VERZ
  --help         dieser Text
  --             beendet die Optionen (für einen Wert, der mit einem
                 Bindestrich beginnt)

Jede Änderung wird von BINDs Prüfprogramm geprüft, geschrieben, von einem
laufenden Server geladen und bei ihm nachgefragt; eine Änderung, die der Server
nicht ausliefert, wird zurückgenommen. Immer nur ein Korvi-Programm ändert
Zonen: korvictl wartet bis zu 10 Sekunden (KORVI_LOCK_WAIT_MS), bis ein anderes
fertig ist.

Rückgabewert: 0 erledigt, 1 von einer Prüfung abgelehnt, 2 falscher Aufruf,
3 geschrieben, aber nicht ausgeliefert und zurückgenommen, 4 Server, Speicher
oder Sperre nicht erreichbar.
</translation>
    </message>
    <message>
        <source>see korvictl --help</source>
        <translation>siehe korvictl --help</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Korvi manages a BIND 9 DNS server (named) on this machine.

Standard mode (no options): Korvi manages this machine&apos;s server (%5 layout):
  configuration %1, Korvi&apos;s zone files in %2,
  zones kept in your preferences. Changes to the server&apos;s files and starting
  and stopping it need administrator rights.

Sandbox mode (--sandbox [DIR]): Korvi runs a private named as you, on 127.0.0.1
  at port %3 (or the next free port), with its named.conf, zone files and log
  and Korvi&apos;s own preferences all inside DIR (default: %4).
  Nothing outside DIR is written.

--screenshots OUT (sandbox mode, no display needed): starts the sandbox&apos;s server,
  saves a PNG of every section and of the About window into OUT, stops the
  server again and quits; the exit code is 0 when all of that worked.</source>
        <translation>Korvi verwaltet einen BIND-9-DNS-Server (named) auf diesem Rechner.

Standardmodus (ohne Optionen): Korvi verwaltet den Server dieses Rechners
  (Aufbau %5): Konfiguration %1,
  Korvis Zonendateien in %2, Zonen in Ihren Einstellungen gespeichert.
  Änderungen an den Dateien des Servers sowie sein Starten und Anhalten
  brauchen Administratorrechte.

Sandbox-Modus (--sandbox [DIR]): Korvi betreibt als Ihr Benutzer einen privaten
  named auf 127.0.0.1, Port %3 (oder dem nächsten freien Port), mit seiner
  named.conf, seinen Zonendateien, seinem Protokoll und Korvis eigenen
  Einstellungen, alles in DIR (Vorgabe: %4).
  Außerhalb von DIR wird nichts geschrieben.

--screenshots OUT (Sandbox-Modus, ohne Bildschirm): startet den Server der
  Sandbox, speichert ein PNG jedes Bereichs und des Fensters „Über Korvi“ in OUT,
  hält den Server wieder an und beendet sich; der Rückgabewert ist 0, wenn all
  das gelang.</translation>
    </message>
    <message>
        <source>Run on a private server in DIR (given after the options).</source>
        <translation>Mit einem privaten Server in DIR arbeiten (nach den Optionen angegeben).</translation>
    </message>
    <message>
        <source>Save a picture of every section into OUT and quit (sandbox mode).</source>
        <translation>Ein Bild jedes Bereichs in OUT speichern und beenden (Sandbox-Modus).</translation>
    </message>
    <message>
        <source>OUT</source>
        <translation>OUT</translation>
    </message>
    <message>
        <source>The sandbox directory (with --sandbox).</source>
        <translation>Das Verzeichnis der Sandbox (mit --sandbox).</translation>
    </message>
    <message>
        <source>[DIR]</source>
        <translation>[DIR]</translation>
    </message>
    <message>
        <source>only one sandbox directory can be given</source>
        <translation>es kann nur ein Sandbox-Verzeichnis angegeben werden</translation>
    </message>
    <message>
        <source>a directory is only taken with --sandbox</source>
        <translation>ein Verzeichnis wird nur mit --sandbox angenommen</translation>
    </message>
    <message>
        <source>see korvi --help</source>
        <translation>siehe korvi --help</translation>
    </message>
    <message>
        <source>the sandbox directory must be a plain path, without spaces, quotes or shell characters: %1</source>
        <translation>das Sandbox-Verzeichnis muss ein einfacher Pfad ohne Leerzeichen, Anführungszeichen oder Shell-Zeichen sein: %1</translation>
    </message>
    <message>
        <source>cannot create the sandbox directory %1</source>
        <translation>das Sandbox-Verzeichnis %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>no free port for the sandbox&apos;s server in %1</source>
        <translation>kein freier Port für den Server der Sandbox in %1</translation>
    </message>
</context>
</TS>
