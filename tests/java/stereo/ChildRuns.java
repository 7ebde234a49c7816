package stereo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import java.util.stream.Stream;

/**
 * A child JVM ({@link TestFrames#runChild}) in a sandbox of its own: an empty
 * working folder and an empty temporary folder (TMPDIR), so that every file a
 * call leaves behind can be seen.
 */
final class ChildRuns {
    /** The simulated libraries' text for a failure injected through SIMCAM_FAIL. */
    static final String INJECTED = "failure injected through SIMCAM_FAIL";

    /** What a JVM or a sanitizer prints when native code misbehaves. */
    private static final String[] NATIVE_TROUBLE = {
        "WARNING in native method", "FATAL ERROR in native method", "WARNING: JNI local refs",
        "A fatal error has been detected", "ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
    };

    final Path work;
    final Path tmp;

    ChildRuns(Path root) throws IOException {
        work = Files.createDirectories(root.resolve("work"));
        tmp = Files.createDirectories(root.resolve("tmp"));
    }

    TestFrames.Child run(Map<String, String> env, boolean snapshot, int... modes) throws Exception {
        Map<String, String> all = new HashMap<>(env);
        all.putIfAbsent("TMPDIR", tmp.toString());
        TestFrames.Child child = TestFrames.runChild(work, all, snapshot, modes);
        assertNoNativeTrouble(child);
        assertNoCrashFile(work);
        assertNoCrashFile(tmp);
        return child;
    }

    static void assertNoNativeTrouble(TestFrames.Child child) {
        for (String output : new String[] {child.out(), child.err()}) {
            for (String trouble : NATIVE_TROUBLE) {
                assertFalse(output.contains(trouble), output);
            }
        }
    }

    private static void assertNoCrashFile(Path folder) throws IOException {
        for (String name : tree(folder)) {
            assertFalse(name.contains("hs_err"), "crash file " + name);
        }
    }

    /** Every file and folder under folder, as relative paths. */
    static Set<String> tree(Path folder) throws IOException {
        Set<String> names = new TreeSet<>();
        try (Stream<Path> entries = Files.walk(folder)) {
            entries.filter(p -> !p.equals(folder)).forEach(p -> names.add(folder.relativize(p).toString()));
        }
        return names;
    }

    /**
     * The one file the simulated camera keeps in TMPDIR: its calibration,
     * rewritten in place on every call, one per camera model and image count.
     */
    static String calibrationFileName(Path anyOwnFile, int model) throws IOException {
        int uid = (Integer) Files.getAttribute(anyOwnFile, "unix:uid");
        return "simcam-" + uid + "-model" + model + "-2.cal";
    }

    /** What a child JVM running {@link ChildScenario} printed, how it ended, and the lines it wrote. */
    record Scenario(int exitCode, String out, String err, List<String> lines) {}

    /** Runs ChildScenario with extra JVM options in this sandbox, as runChild does ChildGrab. */
    Scenario runScenario(List<String> jvmOptions, Map<String, String> env, String... args) throws Exception {
        Path lines = tmp.getParent().resolve("scenario.txt");
        Map<String, String> all = new HashMap<>(env);
        all.putIfAbsent("TMPDIR", tmp.toString());
        List<String> scenarioArgs = new ArrayList<>(List.of(lines.toString()));
        scenarioArgs.addAll(List.of(args));
        TestFrames.Jvm jvm = TestFrames.runJvm(work, all, jvmOptions, ChildScenario.class, scenarioArgs);
        Scenario scenario = new Scenario(jvm.exitCode(), jvm.out(), jvm.err(),
                Files.exists(lines) ? Files.readAllLines(lines) : List.of());
        assertNoNativeTrouble(new TestFrames.Child(scenario.exitCode(), scenario.out(), scenario.err(), List.of()));
        assertNoCrashFile(work);
        assertNoCrashFile(tmp);
        return scenario;
    }


    /** Asserts the child printed exactly one failure line for label and ended with status 1. */
    static void assertFailureLine(TestFrames.Child child, String label, String text) {
        assertEquals("ERROR: " + label + " reported " + text + ".\n", child.out());
        assertEquals(1, child.exitCode(), child.err());
        assertTrue(child.arrays().isEmpty(), "nothing is returned to Java");
    }

    /** Asserts the child returned one array per mode and printed nothing. */
    static void assertReturned(TestFrames.Child child, int arrays) {
        assertEquals("", child.out());
        assertEquals(0, child.exitCode(), child.err());
        assertEquals(arrays, child.arrays().size());
    }
}
