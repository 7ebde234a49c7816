package stereo;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static stereo.TestFrames.RGB;
import static stereo.TestFrames.SNAPSHOT;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Every operation of the camera and stereo stand-ins made to fail, one at a
 * time, in a real JVM that asked for a snapshot: a checked step prints its one
 * line and ends the process with status 1, leaving no crash file and no
 * temporary file, also while other threads are calling; the two unchecked
 * ones (the register read and the snapshot save) let the call return its array.
 */
class FaultInjectionTest {
    /** Fails the process only if its operation fails; in the order a call runs them. */
    static Stream<Arguments> checkedOperations() {
        return Stream.of(
                Arguments.of("flycaptureCreateContext", "flycaptureCreateContext()"),
                Arguments.of("flycaptureInitialize", "flycaptureInitialize()"),
                Arguments.of("flycaptureGetCalibrationFileFromCamera", "flycaptureGetCalibrationFileFromCamera()"),
                Arguments.of("triclopsGetDefaultContextFromFile", "triclopsGetDefaultContextFromFile()"),
                Arguments.of("flycaptureGetCameraInfo", "flycatpureGetCameraInfo()"),
                Arguments.of("flycaptureStartCustomImage", "flycaptureStart()"),
                Arguments.of("triclopsSetResolution", "triclopsSetResolution()"),
                Arguments.of("flycaptureGrabImage2", "flycaptureGrabImage()"),
                Arguments.of("flycapturePrepareStereoImage", "flycapturePrepareStereoImage()"),
                Arguments.of("triclopsBuildPackedTriclopsInput", "triclopsBuildPackedTriclopsInput()"),
                Arguments.of("triclopsRectifyPackedColorImage", "triclopsRectifyPackedColorImage()"),
                Arguments.of("flycaptureStop", "flycaptureStop()"),
                Arguments.of("flycaptureDestroyContext", "flycaptureDestroyContext()"),
                Arguments.of("triclopsDestroyContext", "triclopsDestroyContext()"));
    }

    private static final Set<String> BEFORE_CALIBRATION =
            Set.of("flycaptureCreateContext", "flycaptureInitialize", "flycaptureGetCalibrationFileFromCamera");

    @TempDir Path root;

    /** Runs one grab with a snapshot requested, in a sandbox whose logging folder exists. */
    private TestFrames.Child grab(ChildRuns sandbox, Map<String, String> env) throws Exception {
        Files.createDirectory(sandbox.work.resolve("logging"));
        return sandbox.run(env, true, RGB);
    }

    private static Set<String> expectedTemporaryFiles(ChildRuns sandbox, boolean calibrationWritten, int model)
            throws Exception {
        Set<String> expected = new TreeSet<>();
        if (calibrationWritten) {
            expected.add(ChildRuns.calibrationFileName(sandbox.work, model));
        }
        return expected;
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("checkedOperations")
    void aFailingCheckedOperationPrintsItsLineAndEndsTheProcess(String operation, String label) throws Exception {
        ChildRuns sandbox = new ChildRuns(root);
        TestFrames.Child child = grab(sandbox, Map.of("SIMCAM_FAIL", operation));
        ChildRuns.assertFailureLine(child, label, ChildRuns.INJECTED);
        // The snapshot is taken between capture and the stereo context's release.
        Set<String> working = new TreeSet<>(Set.of("logging"));
        if (SNAPSHOT && operation.equals("triclopsDestroyContext")) {
            working.add("logging/pic0.ppm");
        }
        assertEquals(working, ChildRuns.tree(sandbox.work), "files in the working folder");
        assertEquals(expectedTemporaryFiles(sandbox, !BEFORE_CALIBRATION.contains(operation), 12),
                ChildRuns.tree(sandbox.tmp), "files in TMPDIR");
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("checkedOperations")
    void aFailureWhileEightThreadsCallPrintsOneLineOnly(String operation, String label) throws Exception {
        // Calls take turns, so the first to fail ends the process before any other starts.
        ChildRuns.Scenario child = new ChildRuns(root).runScenario(List.of(), Map.of("SIMCAM_FAIL", operation),
                "threads", "8", "100");
        assertEquals("ERROR: " + label + " reported " + ChildRuns.INJECTED + ".\n", child.out());
        assertEquals(1, child.exitCode(), child.err());
        assertEquals(List.of(), child.lines(), "no thread got to the end");
    }

    @Test
    void aFailingRegisterReadIsTakenAsZeroThatIsFullResolution() throws Exception {
        // Model 11 reads register 0x1F28; bit 1 asks for half resolution, so a
        // read that fails (and leaves 0) must stream the full 1024 x 768.
        Map<String, String> fullResolution = Map.of("SIMCAM_MODEL", "11", "SIMCAM_REGISTER_1F28", "0");
        TestFrames.Child reference = new ChildRuns(root.resolve("reference")).run(fullResolution, false, RGB);
        ChildRuns.assertReturned(reference, 1);

        ChildRuns sandbox = new ChildRuns(root.resolve("failing"));
        Map<String, String> env = new HashMap<>(Map.of("SIMCAM_MODEL", "11", "SIMCAM_REGISTER_1F28", "2"));
        env.put("SIMCAM_FAIL", "flycaptureGetCameraRegister");
        TestFrames.Child child = grab(sandbox, env);
        ChildRuns.assertReturned(child, 1);
        assertArrayEquals(reference.arrays().get(0), child.arrays().get(0));
        assertEquals(SNAPSHOT ? Set.of("logging", "logging/pic0.ppm") : Set.of("logging"),
                ChildRuns.tree(sandbox.work), "files in the working folder");
        assertEquals(expectedTemporaryFiles(sandbox, true, 11), ChildRuns.tree(sandbox.tmp), "files in TMPDIR");
    }

    @Test
    void aFailingSnapshotSaveIsSilentAndTheCallReturns() throws Exception {
        TestFrames.Child reference = new ChildRuns(root.resolve("reference")).run(Map.of(), false, RGB);
        ChildRuns.assertReturned(reference, 1);

        ChildRuns sandbox = new ChildRuns(root.resolve("failing"));
        TestFrames.Child child = grab(sandbox, Map.of("SIMCAM_FAIL", "triclopsSavePackedColorImage"));
        ChildRuns.assertReturned(child, 1);
        assertArrayEquals(reference.arrays().get(0), child.arrays().get(0));
        assertEquals(Set.of("logging"), ChildRuns.tree(sandbox.work), "no snapshot, no temporary file");
        assertEquals(expectedTemporaryFiles(sandbox, true, 12), ChildRuns.tree(sandbox.tmp), "files in TMPDIR");
    }
}
